// Input validator for a UCI-ID edit field: accepts eleven digits, lets a field
// that starts with a digit be edited on, and shows the text red until it is complete.
#pragma once

#include <QRegExpValidator>

class UCIValidator : public QRegExpValidator
{
    Q_OBJECT
public:
    explicit UCIValidator(QObject* parent);

    QValidator::State validate(QString& input, int& pos) const override;

private:
    void colourParent(QValidator::State state) const;
};
