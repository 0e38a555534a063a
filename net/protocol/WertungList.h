// The list of judges' records that the office message (5/1) and the network
// import hand over: pointers with a current index and an owning flag, the
// same list the score sheet keeps (and names alike).
#pragma once

#include "records/Wertung_t.h"
#include "rules/RecordPtrList.h"

using WertungList = RecordPtrList<Wertung_t>;
