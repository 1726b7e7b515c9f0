#include "SampleDataObject.h"

namespace Ombrel::Common::Testing {

OMBREL_BEGIN_FIELD_MAP(CSampleObject)
    OMBREL_FIELD(kName, "Name", &CSampleObject::GetName, &CSampleObject::SetName)
    OMBREL_FIELD(kLabel, "Label", &CSampleObject::GetLabel, &CSampleObject::SetLabel)
    OMBREL_FIELD(kLetter, "Letter", &CSampleObject::GetLetter, &CSampleObject::SetLetter)
    OMBREL_FIELD(kByte, "Byte", &CSampleObject::GetByte, &CSampleObject::SetByte)
    OMBREL_FIELD(kSmall, "Small", &CSampleObject::GetSmall, &CSampleObject::SetSmall)
    OMBREL_FIELD(kSmallU, "SmallU", &CSampleObject::GetSmallU, &CSampleObject::SetSmallU)
    OMBREL_FIELD(kCount, "Count", &CSampleObject::GetCount, &CSampleObject::SetCount)
    OMBREL_FIELD(kMask, "Mask", &CSampleObject::GetMask, &CSampleObject::SetMask)
    OMBREL_FIELD(kBig, "Big", &CSampleObject::GetBig, &CSampleObject::SetBig)
    OMBREL_FIELD(kFlag, "Flag", &CSampleObject::GetFlag, &CSampleObject::SetFlag)
    OMBREL_FIELD(kRatio, "Ratio", &CSampleObject::GetRatio, &CSampleObject::SetRatio)
    OMBREL_FIELD(kPrice, "Price", &CSampleObject::GetPrice, &CSampleObject::SetPrice)
    OMBREL_FIELD(kHandle, "Handle", &CSampleObject::GetHandle, &CSampleObject::SetHandle)
    OMBREL_FIELD(kReadOnly, "ReadOnly", &CSampleObject::GetReadOnly)
    OMBREL_FIELD(kFormatted, "Formatted", &CSampleObject::GetFormatted, &CSampleObject::SetFormatted,
                 new CLongFormat(fmHex))
OMBREL_END_FIELD_MAP()

} // namespace Ombrel::Common::Testing
