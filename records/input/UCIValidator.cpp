// The UCI-ID validator and the red text of an incomplete field.
#include "records/input/UCIValidator.h"

#include "records/UciPattern.h"

#include <QPalette>
#include <QWidget>

UCIValidator::UCIValidator(QObject* parent) : QRegExpValidator(parent)
{
}

QValidator::State UCIValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    QRegExp matcher(uciPattern());
    QValidator::State state;
    if (matcher.exactMatch(input))
        state = Acceptable;
    else
        state = matcher.matchedLength() > 0 ? Intermediate : Invalid;
    colourParent(state);
    return state;
}

void UCIValidator::colourParent(QValidator::State state) const
{
    QWidget* widget = qobject_cast<QWidget*>(parent());
    if (!widget)
        return;
    // Always set, so an acceptable text puts the field back to the application's colours.
    QPalette palette;
    if (state != Acceptable)
        palette.setBrush(QPalette::All, widget->foregroundRole(), QBrush(QColor(QStringLiteral("red"))));
    widget->setPalette(palette);
}
