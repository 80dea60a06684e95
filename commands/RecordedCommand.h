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

#include <type_traits>

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

    HRESULT GetSize(ULONG* size) override
    {
        *size = Derived::Fields().forms.size;
        return S_OK;
    }

    HRESULT WriteBody(IJournalFile* stream) override
    {
        constexpr auto layout = Derived::Fields();
        static_assert(layout.Sound(), "every field lies after the header, inside the record, over no other");
        return RunAtEdge([&] {
            BeforeWrite();
            uint8_t block[layout.forms.size] = {};
            this->FillHeader(block, layout.forms.size);
            layout.Put(static_cast<const Derived&>(*this), block);
            return this->WriteRecord(stream, block, sizeof block);
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
            layout.Get(self, block, form);
            AfterRead(form);
            return S_OK;
        });
    }

private:
    template <class T, class = void>
    struct HasTypeName : std::false_type {
    };
    template <class T>
    struct HasTypeName<T, std::void_t<decltype(T::kTypeName)>> : std::true_type {
    };
};
