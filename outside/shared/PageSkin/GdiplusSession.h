// GdiplusSession: keeps GDI+ started for its lifetime. Sessions nest (one start-up per module,
// counted); every skin object holds one, first, so GDI+ outlives its images.
//
//   GdiplusSession gdiplus;   // a member of the skin object, or the application's
//   if (gdiplus.Ok()) ...     // false when GDI+ could not start: images stay empty
#pragma once

class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return Running(); }
    // True while a session has GDI+ started.
    static bool Running();
};
