// RecordLayout: a saved command record described once, as a list of fields at byte offsets
// after the 258-byte CommandHeader. Writing, reading and sizing all walk the same list
// (RecordedCommand does it for a command):
//
//   static constexpr auto Fields()
//   {
//       return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
//                     Value<int64_t, &Self::m_offset>(264));
//   }
//
// Fields are little-endian (the program runs on little-endian machines only); bytes no field
// covers are written as zeros. A record may have one older, shorter form that still loads:
// the stored size word tells it apart, and fields past its end are left as the command was
// made. Fields are read in list order, so a field whose reading needs another lists it first.
#pragma once
#include "CommandHeader.h"
#include "KvSSException.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

class CommandDocument;

// One field: where it stands, how many bytes, and how it goes in and out of a command of type C.
template <class C>
struct RecordField {
    uint16_t offset;
    uint16_t size;
    void (*put)(const C& command, uint8_t* at);
    void (*get)(C& command, const uint8_t* at);
};

// The sizes of a record's forms: today's, and an older shorter one that still loads (0: none).
// With a list, size is the fixed part before it.
struct RecordForms {
    uint16_t size;
    uint16_t older = 0;
};

// A counted list after the fixed part: its count in 32 bits at countOffset, then that many
// elements of elementSize bytes (one zero slot when there are none). The size word holds the
// low 16 bits of the whole size; readers go by the count, refused above maxCount.
struct RecordList {
    uint16_t countOffset = 0;
    uint16_t elementSize = 0; // 0: no list
    uint32_t maxCount = 0;
};

template <class C, size_t N = 0>
struct RecordLayout {
    CommandDocument* C::*document; // set from the journal before the fields are read
    RecordForms forms;
    std::array<RecordField<C>, N> fields;
    RecordList list{};

    template <class... F>
    static constexpr RecordLayout<C, sizeof...(F)> Of(CommandDocument* C::*document, RecordForms forms, F... fields)
    {
        return {document, forms, {{fields...}}};
    }
    constexpr RecordLayout WithList(RecordList counted) const
    {
        RecordLayout layout = *this;
        layout.list = counted;
        return layout;
    }

    // Every field after the header and inside the record, none over another, and each inside
    // the older form or wholly past it.
    constexpr bool Sound() const
    {
        if (forms.size < CommandHeader::kSize || (forms.older && forms.older < CommandHeader::kSize))
            return false;
        if (list.elementSize &&
            (forms.older || list.countOffset < CommandHeader::kSize || list.countOffset + 4 > forms.size))
            return false;
        for (size_t i = 0; i < N; ++i) {
            const size_t begin = fields[i].offset, end = begin + fields[i].size;
            if (begin < CommandHeader::kSize || end > forms.size)
                return false;
            if (forms.older && begin < forms.older && end > forms.older)
                return false;
            if (list.elementSize && begin < list.countOffset + 4u && list.countOffset < end)
                return false;
            for (size_t j = i + 1; j < N; ++j)
                if (begin < fields[j].offset + fields[j].size && fields[j].offset < end)
                    return false;
        }
        return true;
    }

    void Put(const C& command, uint8_t* block) const
    {
        for (const RecordField<C>& field : fields)
            field.put(command, block + field.offset);
    }
    // Reads the fields that lie inside a stored form of formSize bytes.
    void Get(C& command, const uint8_t* block, size_t formSize) const
    {
        for (const RecordField<C>& field : fields)
            if (field.offset + field.size <= formSize)
                field.get(command, block + field.offset);
    }
};

// Kinds of fields; RecordedCommand offers each with C set to the command.
namespace record {
template <class T>
struct MemberOf;
template <class T, class Owner>
struct MemberOf<T Owner::*> {
    using Type = T;
};
template <auto Member>
using MemberType = typename MemberOf<decltype(Member)>::Type;

// A number or a plain struct, stored as Stored (the member converted to it and back).
template <class C, class Stored, auto Member>
constexpr RecordField<C> Value(uint16_t offset)
{
    static_assert(std::is_trivially_copyable_v<Stored>, "a stored value is plain bytes");
    using M = MemberType<Member>;
    return {offset, static_cast<uint16_t>(sizeof(Stored)),
            [](const C& command, uint8_t* at) {
                const Stored value = static_cast<Stored>(command.*Member);
                std::memcpy(at, &value, sizeof value);
            },
            [](C& command, const uint8_t* at) {
                Stored value;
                std::memcpy(&value, at, sizeof value);
                command.*Member = static_cast<M>(value);
            }};
}

// A member stored byte for byte as it is in memory (an array, a record the engine defines).
template <class C, auto Member>
constexpr RecordField<C> Bytes(uint16_t offset)
{
    using M = MemberType<Member>;
    static_assert(std::is_trivially_copyable_v<M>, "a member stored as bytes is plain bytes");
    return {offset, static_cast<uint16_t>(sizeof(M)),
            [](const C& command, uint8_t* at) { std::memcpy(at, &(command.*Member), sizeof(M)); },
            [](C& command, const uint8_t* at) { std::memcpy(&(command.*Member), at, sizeof(M)); }};
}

// A string in a NUL-padded field of Length bytes (no terminator when it fills the field).
template <class C, size_t Length, auto Member>
constexpr RecordField<C> Text(uint16_t offset)
{
    static_assert(std::is_same_v<MemberType<Member>, std::string>, "a text field holds a string");
    return {offset, static_cast<uint16_t>(Length),
            [](const C& command, uint8_t* at) {
                const std::string& text = command.*Member;
                std::memcpy(at, text.data(), std::min(text.size(), Length));
            },
            [](C& command, const uint8_t* at) {
                const char* text = reinterpret_cast<const char*>(at);
                command.*Member = std::string(text, strnlen(text, Length));
            }};
}

// A field the command writes and reads itself: Put is `void (uint8_t* at) const`, Get is
// `void (const uint8_t* at)`, both members of C (or of a base of C).
template <class C, size_t Size, auto Put, auto Get>
constexpr RecordField<C> Custom(uint16_t offset)
{
    return {offset, static_cast<uint16_t>(Size), [](const C& command, uint8_t* at) { (command.*Put)(at); },
            [](C& command, const uint8_t* at) { (command.*Get)(at); }};
}
} // namespace record
