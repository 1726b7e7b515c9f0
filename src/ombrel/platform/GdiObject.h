#pragma once

namespace Ombrel {

// The common base of the drawing objects a device context can select (pens, brushes, fonts,
// bitmaps). An object is "created" once one of its Create functions succeeded and until
// DeleteObject; a device context copies what it needs at selection time, so it never reads an
// object again after SelectObject returned (bitmaps excepted: a device context draws into the
// bitmap selected into it).
class CGdiObject
{
public:
    virtual ~CGdiObject() = default;

    // Non-null while the object is created; the value identifies nothing outside this process.
    virtual const void* GetSafeHandle() const = 0;
    // Returns the object to the not-created state; false when it was not created.
    virtual bool DeleteObject() = 0;

protected:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = default;
    CGdiObject& operator=(const CGdiObject&) = default;
};

} // namespace Ombrel
