// The main-window base of the suite's programs: name and version of the
// program, the rules catalogue of the chosen language (only for programs that
// use it), the help menu with the about box, and the closing rule.
#pragma once

#include "rules/ReglementDB.h"

#include <QDate>
#include <QMainWindow>
#include <QString>

#include <functional>

class ApplicationWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int closeDelayMs = 100;

    // A top-level window. The help file is the suite's programs' common
    // argument; this frame has no help viewer that reads it. The last
    // argument says whether the frame uses the rules catalogue.
    ApplicationWindow(const QString& appName, const QString& version, const QString& helpFile, bool useReglement);
    ~ApplicationWindow() override;

    ReglementDB& reglementDB() { return reglement; }

    // Takes the language folder and lets the window follow it.
    void setLanguage(const QString& folder);

    // The date the catalogue's date check compares with (the computer's date
    // unless a test sets its own); an empty function restores the computer's.
    using Today = std::function<QDate()>;
    void setToday(Today source);

    // The about box's text; derived windows put their own lines in front.
    virtual QString aboutText() const;

public slots:
    virtual void about();
    // Opens the chosen language's rules catalogue read only and checks its
    // date, but only in programs that use the catalogue.
    virtual void languageChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ReglementDB reglement;
    QString appName;
    QString version;
    QString language;
    bool useReglement;
    Today today;
};
