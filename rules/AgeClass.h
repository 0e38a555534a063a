// An age class of the rules catalogue with its quotas, as the Qt form of the
// age-class query merges the rows of one class.
#pragma once

#include <QList>
#include <QString>

// Up to quota athletes of a start may have an age in minAge to maxAge.
struct AgeQuota
{
    int quota = 0;
    int minAge = 0;
    int maxAge = 0;
};

struct AgeClass
{
    int ak = 0;
    int minAge = 0;
    int maxAge = 0;
    QList<AgeQuota> quotas;
    QString nameMale;
    QString nameFemale;
};
