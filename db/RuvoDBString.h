// A text with the id of the record it names, for record selectors.
#pragma once

#include <QString>

struct RuvoDBString
{
    RuvoDBString(const QString& text = QString(), int id = 0) : text(text), id(id) {}

    QString text;
    int id;
};
