// One exercise of the rules catalogue: its code, its text and its value.
#pragma once

#include "records/Figure.h"

#include <QString>

class Uebung
{
public:
    void clear();
    bool isValid() const;
    bool operator==(const Figure& code) const { return nr == code; }

    Figure nr;          // empty when the catalogue's text is no valid code
    QString text;
    double ziffer = 0;  // points, two decimals
};
