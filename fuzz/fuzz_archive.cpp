// Loads arbitrary bytes through a loading CArchive: strings, class records, objects and
// integers in an order chosen by the input itself. Every malformed input must end in a
// CArchiveException; nothing may crash, read past the input or allocate beyond it.
#include "ombrel/base/Archive.h"
#include "ombrel/base/Object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

class CFuzzRecord : public Ombrel::CObject
{
    DECLARE_SERIAL(CFuzzRecord)
public:
    void Serialize(Ombrel::CArchive& ar) override
    {
        std::int32_t count = 0;
        ar >> count >> m_name;
        // Nested objects exercise back-references and recursion on hostile counts.
        for (std::int32_t i = 0; i < count && i < 4; ++i) {
            m_children[i] = ar.ReadObject(RUNTIME_CLASS(CFuzzRecord));
        }
    }

private:
    std::string m_name;
    std::unique_ptr<Ombrel::CObject> m_children[4];
};
IMPLEMENT_SERIAL(CFuzzRecord, Ombrel::CObject, 1)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Ombrel::CArchive;
    CArchive ar(data, size, CArchive::load);
    try {
        while (ar.GetRemaining() > 0) {
            std::uint8_t op = 0;
            ar >> op;
            switch (op % 5) {
            case 0: {
                Ombrel::CString text;
                ar >> text;
                break;
            }
            case 1: {
                std::uint32_t schema = 0;
                ar.ReadClass(nullptr, &schema);
                break;
            }
            case 2:
                ar.ReadObject();
                break;
            case 3: {
                std::int64_t wide = 0;
                double real = 0;
                ar >> wide >> real;
                break;
            }
            default: {
                std::uint8_t buffer[16];
                ar.Read(buffer, op % sizeof buffer);
                break;
            }
            }
        }
    } catch (const Ombrel::CArchiveException&) {
    }
    return 0;
}
