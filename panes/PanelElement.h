// CPanelElement: an image button of a skinned panel. Its image is a strip of 2N frames side by
// side (N = 0: one plain image), from the skin table or from a file of its own.
#pragma once
#include "ElementBase.h"

#include <memory>

class SkinImage;

class CPanelElement : public CElementBase {
public:
    CPanelElement();
    ~CPanelElement() override;

    void SetSkinImage(int imageId, int frameCount);
    void SetImageFile(const char* pathWithoutExtension, int frameCount);
    void Place(int elementId, int offsetX, int offsetY, int x, int y);
    void Place(int elementId, POINT position) { Place(elementId, 0, 0, position.x, position.y); }
    // The rectangle moved by the offset; empty when the offset x is negative.
    void GetFrameRect(RECT* out);
    void SetOwner(CWnd* owner) { m_owner = owner; }
    void SetFrame(int frame) { m_frame = frame; }
    int GetFrame() const { return m_frame; }
    int GetElementId() const { return m_elementId; }
    int FrameWidth() const { return m_frameWidth; }
    // Frame index of the image over the background image's part under the element.
    void DrawFrame(CDC* dc, int backgroundImageId, int frame);

    void GetFocusRect(RECT* out) override;
    void SetOffset(int x, int y) override;
    bool OnKey(UINT key, UINT repeat) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void Draw(CDC* dc) override { DrawFrame(dc, m_background, m_frame); }
    void Draw(CDC* dc, int backgroundImageId, int frame) { DrawFrame(dc, backgroundImageId, frame); }
    void SetBackground(int imageId) { m_background = imageId; }

private:
    void SetFrameSize(CSize size, int frameCount);
    void Repaint();

    int m_frameCount = 0;
    int m_imageId = -1;
    int m_elementId = 0;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    std::unique_ptr<SkinImage> m_ownImage;
    CWnd* m_owner = nullptr;
    int m_background = -1;
    int m_frame = 0;
};
