// Compiled and linked by tools/test-install.sh with nothing but `pkg-config --cflags --libs
// ombrel` against the installed tree: the headers must be complete, the libraries and what
// they link must be named by the .pc files. It needs no display: no window is created.

#include <ombrel/Common.h>
#include <ombrel/GUI.h>

#include <cstdio>
#include <string>

using namespace Ombrel;

class CProbe : public Common::CLockedDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    static constexpr int kValueField = 1;
    ~CProbe() override { NotifyDestroy(); }
    std::int32_t GetValue() const { return Read(m_value); }
    void SetValue(std::int32_t value) { Write(m_value, value); }

private:
    Field<std::int32_t, kValueField> m_value;
};

OMBREL_BEGIN_FIELD_MAP(CProbe)
    OMBREL_FIELD(CProbe::kValueField, "Value", &CProbe::GetValue, &CProbe::SetValue)
OMBREL_END_FIELD_MAP()

int main()
{
    CProbe probe;
    probe.SetFormattedValue(CProbe::kValueField, "42");
    GUI::CHeader header(false);
    header.AddColumn(new GUI::CColumn(CProbe::kValueField, "Value", 60));
    const std::string text = probe.GetFormattedValue(CProbe::kValueField);
    const bool ok = text == "42" && header.GetColumnCount() == 1;
    std::printf("pkg-config probe: %s\n", ok ? "ok" : "wrong");
    return ok ? 0 : 1;
}
