// The crossfade dialog (168) and the fade in/out dialog (5387). While open, the fade is live
// in the tracks' volume curves and the dialog's group holds one snapshot per faded track;
// each choice of shape or direction takes the fade back and writes it anew. OK records the
// group as one undo entry, Cancel takes it back. A write that fails is taken back whole and
// shown, so that OK records either a whole fade or nothing.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "FadePreview.h"
#include "Framework.h"

#include <vector>

class FadeDialogBase : public CDialog {
public:
    FadeDialogBase(UINT templateId, CommandDocument* document, CWnd* parent)
        : CDialog(templateId, parent), m_document(document)
    {
    }

    void OnOK() override;
    void OnCancel() override;

    UINT Shape() const { return m_shape; }
    ICommandList* Group() const { return m_group.Get(); }

protected:
    // Writes the preview; a failure is shown and leaves nothing written.
    void ApplyFade();
    virtual std::vector<FadeEntry> Entries() = 0;
    virtual IEditCommand* MakeChild(CommandDocument* document, int track) = 0;
    // The program's error box for a code (nothing for a cancel).
    virtual void ShowError(HRESULT code);
    void StartGroup(IEditCommand* group, UINT captionId);
    void OnSine();
    void OnLinear();
    // The shape (and direction) pictures of the skin, each right of its button.
    void OnPaint();
    virtual std::vector<std::pair<UINT, int>> ButtonImages() const;

    CommandDocument* m_document;
    ComRef<ICommandList> m_group;
    SampleRange m_range;
    UINT m_shape = 0;
    DECLARE_MESSAGE_MAP()
};

class CrossfadeDialog : public FadeDialogBase {
public:
    static constexpr UINT kTemplate = 168;
    CrossfadeDialog(CommandDocument* document, CWnd* parent) : FadeDialogBase(kTemplate, document, parent) {}

    // A selection the crossfade cannot use: its text (20461 to 20464) and Cancel.
    BOOL OnInitDialog() override;

protected:
    std::vector<FadeEntry> Entries() override { return m_entries; }
    IEditCommand* MakeChild(CommandDocument* document, int track) override;
    void OnHelp();

    std::vector<FadeEntry> m_entries;
    DECLARE_MESSAGE_MAP()
};

class FadeInOutDialog : public FadeDialogBase {
public:
    static constexpr UINT kTemplate = 5387;
    FadeInOutDialog(CommandDocument* document, CWnd* parent) : FadeDialogBase(kTemplate, document, parent) {}

    BOOL OnInitDialog() override;
    UINT Direction() const { return m_direction; }

protected:
    std::vector<FadeEntry> Entries() override;
    IEditCommand* MakeChild(CommandDocument* document, int track) override;
    std::vector<std::pair<UINT, int>> ButtonImages() const override;
    void OnFadeIn();
    void OnFadeOut();
    void OnHelp();

    UINT m_direction = 0;
    DECLARE_MESSAGE_MAP()
};
