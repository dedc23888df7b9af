// Run-time class records: the class name and schema a catalogue stream
// writes before the first object of a class, and the factory that makes an
// empty object when such a name is read back.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace volcatra {

class CCatalogueStream;
class CObjectBase;

struct CRuntimeClass {
    const char* m_className;
    uint16_t m_schema;
    std::unique_ptr<CObjectBase> (*m_createObject)();

    // The record of one of the catalogue classes by name, or nullptr.
    static const CRuntimeClass* FromName(std::string_view name);
};

// Common root of the catalogue classes.
class CObjectBase {
public:
    virtual ~CObjectBase() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const = 0;
    // Writes the object's record to, or reads it from, the stream (without
    // its tag).
    virtual void Serialize(CCatalogueStream& stream) = 0;
};

}  // namespace volcatra
