// A list of records held by value, with duplicate detection for the record
// types that define operator== and isSimilar.
#pragma once

#include <QList>

template <typename T>
class RuvoDBList : public QList<T>
{
public:
    virtual ~RuvoDBList() = default;

    // Index of the first record equal to r (T::operator==), -1 when none.
    // operator== because the records' equality is their rule for the same entry.
    int findSame(const T& r) const
    {
        for (int i = 0; i < this->size(); ++i)
            if (this->at(i) == r)
                return i;
        return -1;
    }

    // Index of the first record that T::isSimilar calls alike, -1 when none.
    int findSimilar(const T& r) const
    {
        for (int i = 0; i < this->size(); ++i)
            if (this->at(i).isSimilar(r))
                return i;
        return -1;
    }
};
