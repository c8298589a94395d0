// A problem record for one run of membrane-solve, in memory whose pages are put in place by one
// system call: clearing the 0.8 MB record page by page would otherwise fault in each of its
// 190 pages one at a time, which costs more than a small solve.
#pragma once

#include <memory>

#include "solver/MembraneModel.h"

struct RecordUnmapper {
    void operator()(MembraneModel* record) const;
};
using RecordPointer = std::unique_ptr<MembraneModel, RecordUnmapper>;

// A record as MembraneModel's constructor leaves it.
RecordPointer NewRecord();
