// The record in an anonymous mapping made with MAP_POPULATE, or on the heap where that fails.
#include "batch/RecordMemory.h"

#include <sys/mman.h>

#include <new>

namespace {

constexpr std::size_t kMappedSize = (sizeof(MembraneModel) + 4095) / 4096 * 4096;

}  // namespace

void RecordUnmapper::operator()(MembraneModel* record) const
{
    record->~MembraneModel();
    ::munmap(record, kMappedSize);
}

RecordPointer NewRecord()
{
    void* memory = ::mmap(nullptr, kMappedSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    return RecordPointer(new (memory) MembraneModel());
}
