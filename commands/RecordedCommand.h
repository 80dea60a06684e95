// RecordedCommand: the base of a command whose record is one RecordLayout. It sizes, writes
// and reads the record from the layout Derived::Fields() returns, and names the command by
// Derived::kTypeName:
//
//   class OffsetTrackCommand : public RecordedCommand<OffsetTrackCommand> {
//   public:
//       static constexpr const char* kTypeName = "offsettrack";
//       static constexpr uint16_t kRecordSize = 272;
//       static constexpr auto Fields()
//       {
//           return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
//                         Value<int64_t, &Self::m_newOffset>(264));
//       }
//       STDMETHODIMP Do() override; ...
//   };
//
// Base is the class the command extends (EditCommand, CommandGroup, RangeCommand, ...); its
// constructors are inherited. A layout that is not sound (a field over the header, another
// field or the record's end) does not compile. Hooks: BeforeWrite makes what the record
// names (a clip file), AfterRead finishes a loaded command with the size of the form read.
#pragma once
#include "CommandSupport.h"
#include "EditCommand.h"
#include "OperationEdge.h"
#include "RecordLayout.h"
#include "TrackCommandSupport.h"

#include <algorithm>
#include <type_traits>
#include <vector>

template <class Derived, class Base = EditCommand>
class RecordedCommand : public Base {
public:
    using Base::Base;

    STDMETHODIMP GetTypeName(char* buffer, UINT length) override
    {
        if constexpr (HasTypeName<Derived>::value)
            return this->CopyTypeName(Derived::kTypeName, buffer, length);
        else
            return E_NOTIMPL; // a shared base of types that name themselves
    }

protected:
    using Self = Derived;

    template <class... F>
    static constexpr auto Layout(CommandDocument* Derived::*document, RecordForms forms, F... fields)
    {
        return RecordLayout<Derived>::Of(document, forms, fields...);
    }
    template <class Stored, auto Member>
    static constexpr RecordField<Derived> Value(uint16_t offset)
    {
        return record::Value<Derived, Stored, Member>(offset);
    }
    template <auto Member>
    static constexpr RecordField<Derived> Bytes(uint16_t offset)
    {
        return record::Bytes<Derived, Member>(offset);
    }
    template <size_t Length, auto Member>
    static constexpr RecordField<Derived> Text(uint16_t offset)
    {
        return record::Text<Derived, Length, Member>(offset);
    }
    template <size_t Size, auto Put, auto Get>
    static constexpr RecordField<Derived> Custom(uint16_t offset)
    {
        return record::Custom<Derived, Size, Put, Get>(offset);
    }

    virtual void BeforeWrite() {}
    virtual void AfterRead(uint16_t /*formSize*/) {}
    // A layout with a list: the elements to write, writing them, reading them back.
    virtual size_t ListCount() { return 0; }
    virtual void PutList(uint8_t* /*first*/, size_t /*count*/) {}
    virtual void GetList(const uint8_t* /*first*/, size_t /*count*/) {}

    HRESULT GetSize(ULONG* size) override
    {
        constexpr auto layout = Derived::Fields();
        if constexpr (layout.list.elementSize == 0) {
            *size = layout.forms.size;
            return S_OK;
        } else {
            return RunAtEdge([&] {
                *size = static_cast<ULONG>(ListRecordSize(ListCount()));
                return S_OK;
            });
        }
    }

    HRESULT WriteBody(IJournalFile* stream) override
    {
        constexpr auto layout = Derived::Fields();
        static_assert(layout.Sound(), "every field lies after the header, inside the record, over no other");
        return RunAtEdge([&] {
            BeforeWrite();
            if constexpr (layout.list.elementSize == 0) {
                uint8_t block[layout.forms.size] = {};
                this->FillHeader(block, layout.forms.size);
                layout.Put(static_cast<const Derived&>(*this), block);
                return this->WriteRecord(stream, block, sizeof block);
            } else {
                const size_t count = ListCount();
                std::vector<uint8_t> block(ListRecordSize(count), 0);
                this->FillHeader(block.data(), SizeWord(block.size()));
                layout.Put(static_cast<const Derived&>(*this), block.data());
                const uint32_t stored = static_cast<uint32_t>(count);
                std::memcpy(block.data() + layout.list.countOffset, &stored, sizeof stored);
                PutList(block.data() + layout.forms.size, count);
                return this->WriteRecord(stream, block.data(), block.size());
            }
        });
    }

    HRESULT ReadBody(IJournalFile* stream) override
    {
        constexpr auto layout = Derived::Fields();
        return RunAtEdge([&] {
            Derived& self = static_cast<Derived&>(*this);
            self.*layout.document = JournalDocument(stream);
            uint16_t form = layout.forms.size;
            if (layout.forms.older && this->StoredRecordSize(stream) == layout.forms.older)
                form = layout.forms.older;
            uint8_t block[layout.forms.size] = {};
            ThrowIfFailed(this->ReadRecord(stream, block, form));
            if constexpr (layout.list.elementSize == 0) {
                layout.Get(self, block, form);
            } else {
                uint32_t count = 0;
                std::memcpy(&count, block + layout.list.countOffset, sizeof count);
                if (count > layout.list.maxCount)
                    throw CKvSSException(kBadJournal);
                // The count is checked against the chunk by this read: a damaged one loads nothing.
                std::vector<uint8_t> elements(layout.list.elementSize * std::max<size_t>(count, 1));
                ReadInsideChunk(stream, elements.data(), elements.size());
                layout.Get(self, block, form);
                GetList(elements.data(), count);
            }
            AfterRead(form);
            return S_OK;
        });
    }

private:
    static size_t ListRecordSize(size_t count)
    {
        constexpr auto layout = Derived::Fields();
        return layout.forms.size + layout.list.elementSize * std::max<size_t>(count, 1);
    }

    template <class T, class = void>
    struct HasTypeName : std::false_type {
    };
    template <class T>
    struct HasTypeName<T, std::void_t<decltype(T::kTypeName)>> : std::true_type {
    };
};
