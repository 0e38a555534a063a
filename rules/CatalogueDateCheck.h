// What the frame shows after it opened the rules catalogue of a language:
// whether the catalogue has expired or the computer's clock lies well before it.
// The texts are translated in the frame's context.
#pragma once

#include <QDate>
#include <QString>

enum class CatalogueDate { Current, Expired, ClockBehind };

// year: the catalogue's year (0 when its date text is no date); validity: its
// years of validity; today: the computer's date.
CatalogueDate checkCatalogueDate(int year, int validity, const QDate& today);

// The message for a verdict, empty for a current catalogue.
QString catalogueDateMessage(CatalogueDate verdict, const QDate& today);

// Both in one: the message to show, empty when there is none.
QString catalogueDateWarning(int year, int validity, const QDate& today);

// The message when the catalogue of the chosen language cannot be opened.
QString catalogueOpenFailedMessage();
