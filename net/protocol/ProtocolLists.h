// The lists that display and chief-judge messages carry: requested starter
// numbers, score factors, the qualification list and the result list.
#pragma once

#include <QList>
#include <QPair>

// Starter numbers a display asks for (message 2/6).
struct StarterRequestList : QList<int>
{
};

// Pairs of starter number and score factor (message 2/10).
struct FactorList : QList<QPair<int, double>>
{
};

// Pairs of two values per qualified starter (message 3/4).
struct QualiList : QList<QPair<int, int>>
{
};

// One entry of a result list (message 2/5), and the record a requested starter
// is sent from (message 2/7).
struct StartErgebnisList_t
{
    int number = 0;
    int place = 0;
    int submitted = 0;      // hundredths
    int result = 0;         // hundredths
    int category = 0;       // packCategory of discipline, sex and age class
    char name[32] = {};
    char clubs[32] = {};
    char association[32] = {};
    char nation[4] = {};
    bool notPlaced = false;
};

// A result list with a read cursor; a list built by a decoder owns its entries.
struct StartErgebnisList : QList<StartErgebnisList_t*>
{
    StartErgebnisList() = default;
    StartErgebnisList(const StartErgebnisList&) = delete;
    StartErgebnisList& operator=(const StartErgebnisList&) = delete;
    ~StartErgebnisList()
    {
        if (owning)
            qDeleteAll(*this);
    }

    int cursor = 0;
    bool owning = false;
};
