// The statements the rules catalogue's queries run, built in one place. Every
// code and pattern goes in as an SQL text literal.
#pragma once

#include <QString>

class Figure;
struct UebungFilter;

namespace CatalogueSql {

// The exercise limits of a discipline and age class ("Figures").
QString figures(int disci, int ak);

// Every row of table whose "Nr" begins with the discipline's digit.
QString byDiscipline(const char* table, int disci);

// The tactical values of one exercise, by count.
QString taktisch(const Figure& nr);

// The age classes of a discipline (with those for every discipline) and age
// class; 0 asks for any.
QString altersklassen(int disci, int ak);

// The exercises that match the filter (null: all), by code.
QString uebungen(const UebungFilter* filter);

} // namespace CatalogueSql
