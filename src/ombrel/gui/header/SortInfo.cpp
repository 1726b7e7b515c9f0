#include "ombrel/gui/header/SortInfo.h"

#include "ombrel/base/Archive.h"

namespace Ombrel::GUI {
namespace {
constexpr std::int32_t kSortInfoVersion = 1;
}

void CSortInfo::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << kSortInfoVersion << m_fieldId << m_descending;
        return;
    }
    std::int32_t version = 0;
    archive >> version;
    if (version > kSortInfoVersion) {
        throw CArchiveException(CArchiveException::badSchema, "CSortInfo");
    }
    if (version < 1) {
        return;
    }
    std::int32_t fieldId = 0;
    bool descending = false;
    archive >> fieldId >> descending;
    m_fieldId = fieldId;
    m_descending = descending;
}

} // namespace Ombrel::GUI
