// The start entries a read of the entry list hands out as flat records, each
// a heap block of its own that the list owns once a read has filled it.
#pragma once

#include "records/Starter_t.h"

#include <QList>

class StarterList
{
public:
    StarterList() = default;
    ~StarterList();
    StarterList(const StarterList&) = delete;
    StarterList& operator=(const StarterList&) = delete;

    // Deletes the records when the list owns them, else only forgets them.
    void clear();

    QList<Starter_t*> items;
    int current = 0;            // the element a search over the list found last
    bool autoDelete = false;    // set by the read that fills the list
};
