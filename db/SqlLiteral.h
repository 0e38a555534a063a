// Every text that goes into SQL goes through here: single-quoted, with ' doubled.
// (SQLite would read a double-quoted text as a column name when one matches.)
#pragma once

#include <QString>

QString sqlText(const QString& text);
