#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ombrel/base/String.h"
#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// One row of a table handed to CLongEnumFormat; a null name reads as the empty name.
struct EnumItem
{
    std::int32_t value;
    const char* name;
};

// Shows a long by the name an item table gives its value, and turns a name back into its
// value. The table keeps the order in which values were added: that order lists the items,
// decides which value a name shared by two values parses to, and is stored. A value appears
// at most once.
//
// The table may change after construction, but not while another thread uses the format.
class CLongEnumFormat : public CFormat
{
public:
    using Item = std::pair<std::int32_t, std::string>;
    using ItemList = std::vector<Item>;

    CLongEnumFormat();
    // Adds the rows in order; a row whose value is already present is skipped. A null table
    // or a count of 0 or less gives an empty table.
    CLongEnumFormat(const EnumItem* items, int count);
    CLongEnumFormat(const CLongEnumFormat& other) = default;
    CLongEnumFormat& operator=(const CLongEnumFormat& other) = default;
    ~CLongEnumFormat() override;

    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CString Format(std::int32_t value, void* context = nullptr) const override;
    bool Parse(const CString& text, std::int32_t& out, void* context = nullptr) const override;
    // The value's name; empty text for a value outside the table.
    std::string FormatStl(std::int32_t value, void* context = nullptr) const override;
    // The first value, in table order, whose name equals the whole text byte for byte.
    bool ParseStl(const std::string& text, std::int32_t& out,
                  void* context = nullptr) const override;

    bool IsEnumeration() const override;
    CFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    // Record: version 1; the count and the values in table order (32-bit each); the count of
    // names and each value (32-bit) with its name (string), in increasing value order.
    void Serialize(CSerializer& serializer) override;

    // Appends one (value, name) pair per item to `items`, in table order; true when the table
    // is not empty.
    virtual bool GetItems(ItemList& items) const;
    // Appends an item; false, and no change, when the value is already present.
    virtual bool AddItem(std::int32_t value, const std::string& name);
    // False when the value was not in the table.
    virtual bool RemoveItem(std::int32_t value);
    // The modifiable name of a value; an absent value is first appended with an empty name.
    // The reference stays valid until the value is removed.
    virtual std::string& operator[](std::int32_t value);

private:
    std::map<std::int32_t, std::string> m_names; // value -> name; same values as m_order
    std::vector<std::int32_t> m_order;           // values in the order they were added
};

} // namespace Ombrel::Common
