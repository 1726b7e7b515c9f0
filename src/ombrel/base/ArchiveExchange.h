#pragma once

#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"

#include <cstdint>

namespace Ombrel {

// One member of a stored record, in either direction: written while the archive stores, read
// otherwise. Records exchange each member at its own width, in declaration order, so that the
// stored form does not depend on the compiler's padding.
template <class T>
void Exchange(CArchive& archive, T& value)
{
    if (archive.IsStoring())
        archive << value;
    else
        archive >> value;
}

// A settings record stored as its version (32 bits) followed by its members, which
// `exchangeMembers(archive, record)` exchanges. Loading refuses a newer version
// (CArchiveException::badSchema, named `recordName`) and keeps `record` for a version of 0 or
// below. Otherwise it reads into a copy and applies it only when the whole record was read and
// `isValid(copy)` accepts it (CArchiveException::genericException if not): a record that ends
// early or holds damage is never half applied.
template <class Record, class ExchangeMembers, class IsValid>
void SerializeVersionedRecord(CArchive& archive, Record& record, std::int32_t currentVersion,
                              const char* recordName, ExchangeMembers exchangeMembers, IsValid isValid)
{
    std::int32_t version = currentVersion;
    Exchange(archive, version);
    if (archive.IsStoring()) {
        exchangeMembers(archive, record);
        return;
    }
    if (version > currentVersion)
        throw CArchiveException(CArchiveException::badSchema, recordName);
    if (version <= 0)
        return;
    Record loaded = record;
    exchangeMembers(archive, loaded);
    if (!isValid(loaded))
        throw CArchiveException(CArchiveException::genericException, recordName);
    record = loaded;
}

} // namespace Ombrel
