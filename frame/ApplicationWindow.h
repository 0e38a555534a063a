// The main-window base of the suite's programs: name, version and help file of
// the program, the rules catalogue of the chosen language (only for programs
// that use it), the about box and the closing rule.
#pragma once

#include "rules/ReglementDB.h"

#include <QDate>
#include <QMainWindow>
#include <QString>

#include <functional>

class QMenu;

class ApplicationWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int closeDelayMs = 100;

    ApplicationWindow(const QString& appName, const QString& version, const QString& helpFile,
                      bool useReglement, QWidget* parent = nullptr);
    ~ApplicationWindow() override;

    QString applicationName() const { return appName; }
    QString versionText() const { return version; }
    QString helpFile() const { return help; }
    bool usesReglement() const { return useReglement; }
    QString languageFolder() const { return language; }
    ReglementDB& reglementDB() { return reglement; }

    QMenu* fileMenu() const { return file; }
    QMenu* helpMenu() const { return helpItems; }

    // Takes the language folder and lets the window follow it.
    void setLanguage(const QString& folder);

    // The date the catalogue's date check compares with (the computer's date
    // unless a test sets its own); an empty function restores the computer's.
    using Today = std::function<QDate()>;
    void setToday(Today source);

    // The about box's text; derived windows put their own lines in front.
    virtual QString aboutText() const;

    // While a hook is set, the about box hands its title and text to the hook
    // instead of opening, so tests never block. An empty function removes it.
    using AboutHook = std::function<void(const QString& title, const QString& text)>;
    static void setAboutHook(AboutHook hook);

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
    QString help;
    QString language;
    bool useReglement;
    Today today;
    QMenu* file = nullptr;
    QMenu* helpItems = nullptr;
};
