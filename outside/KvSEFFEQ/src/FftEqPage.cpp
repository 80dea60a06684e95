#include "FftEqPage.h"

#include "EffectFilter.h"
#include "EffectPageIds.h"
#include "IEffectParameters.h"
#include "PageSkin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace fx {

namespace {

const wchar_t kCurveClass[] = L"KvSEFFEQCurve";
int g_curveWindows = 0; // the class is ours while a curve window lives

// Margins of the plot inside the curve control, in pixels: level labels left, gain labels
// right, frequency labels below.
constexpr int kLeft = 34, kRight = 30, kTop = 6, kBottom = 16;
constexpr int kHandle = 4;        // half a point's square
constexpr int kPointsHeight = 24; // the row of the point's edits under the curve

UINT ButtonDownMessage()
{
    static const UINT message = RegisterWindowMessageW(L"WM_FFTEQ_BUTTONDOWN");
    return message;
}

bool RegisterCurveClass(WNDPROC proc)
{
    WNDCLASSW wc{};
    if (GetClassInfoW(fxkit::ModuleInstance(), kCurveClass, &wc))
        return true;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = fxkit::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)); // IDC_CROSS
    wc.lpszClassName = kCurveClass;
    return RegisterClassW(&wc) != 0;
}

// A step of 1, 2 or 5 times a power of ten that gives about `lines` lines over `span`.
double NiceStep(double span, int lines)
{
    const double raw = span / std::max(lines, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

void FrequencyText(double f, wchar_t* text, size_t size)
{
    if (f >= 1000)
        std::swprintf(text, size, L"%gk", f / 1000);
    else
        std::swprintf(text, size, L"%g", f);
}

} // namespace

FftEqPage::FftEqPage()
{
    Setup(fxkit::ModuleInstance(), IDD_EFFECT_PAGE, L"FFT Equalizer");
    for (int i = 0; i < kFeqParamCount; ++i)
        m_values[i] = kFftEqParams[i].defaultValue;
    m_points = CurvePointsOf(m_values);
    m_selected = m_points.empty() ? -1 : 0;
}

FftEqPage::~FftEqPage()
{
    // Close the dialog while this class can still answer its WM_DESTROY.
    if (Window())
        Deactivate();
}

HRESULT FftEqPage::OnConnect(IUnknown* object)
{
    if (!object)
        return E_POINTER;
    ComRef<IEffectParameters> params = QueryCom<IEffectParameters>(object);
    ComRef<IFftEqualizerSpectrum> spectrum = QueryCom<IFftEqualizerSpectrum>(object);
    if (!params || !spectrum)
        return E_NOINTERFACE;
    m_params = std::move(params);
    m_spectrumSource = std::move(spectrum);
    ReadFilter(true);
    return S_OK;
}

void FftEqPage::OnDisconnect()
{
    m_params.Reset();
    m_spectrumSource.Reset();
}

void FftEqPage::ReadFilter(bool curveToo)
{
    if (m_params)
        for (int i = 0; i < kFeqParamCount; ++i)
            if (curveToo || i < kFeqPointCount)
                m_params->GetParameter(i, &m_values[i]);
    if (curveToo) {
        m_points = CurvePointsOf(m_values);
        m_dragging = -1;
        m_selected = m_points.empty() ? -1 : std::clamp(m_selected, 0, int(m_points.size()) - 1);
    }
    m_spectrum.clear();
    m_rate = 0;
    UINT bins = 0;
    if (m_spectrumSource && SUCCEEDED(m_spectrumSource->GetSpectrum(nullptr, 0, &bins, &m_rate)) && bins > 1) {
        m_spectrum.resize(bins);
        m_spectrumSource->GetSpectrum(m_spectrum.data(), bins, &bins, &m_rate);
    }
    ShowPoint();
    if (m_curve)
        InvalidateRect(m_curve, nullptr, FALSE);
}

void FftEqPage::OnActivate()
{
    HWND dialog = Window();
    geq::PageSkinProc(dialog, WM_INITDIALOG, 0, 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    HINSTANCE instance = fxkit::ModuleInstance();
    auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id, void* param) {
        HWND w = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, dialog,
                                 reinterpret_cast<HMENU>(INT_PTR(id)), instance, param);
        SendMessageW(w, WM_SETFONT, WPARAM(font), FALSE);
        return w;
    };
    if (RegisterCurveClass(CurveProc))
        m_curve = make(0, kCurveClass, L"", WS_TABSTOP, kCurveControlId, this);
    const wchar_t* labels[2] = {L"Frequency", L"Gain"};
    const wchar_t* units[2] = {L"Hz", L"dB"};
    for (int i = 0; i < 2; ++i) {
        m_labels[i] = make(0, L"STATIC", labels[i], SS_RIGHT, IDC_FX_LABEL + i, nullptr);
        m_edits[i] = make(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_FX_EDIT + i, nullptr);
        m_units[i] = make(0, L"STATIC", units[i], SS_LEFT, IDC_FX_UNIT + i, nullptr);
    }
    Layout();
    ShowPoint();
    Lock(m_locked);
}

void FftEqPage::Layout()
{
    HWND dialog = Window();
    if (!dialog)
        return;
    RECT r;
    GetClientRect(dialog, &r);
    const int width = r.right, height = r.bottom;
    if (m_curve)
        MoveWindow(m_curve, 4, 4, std::max(width - 8, 0), std::max(height - 8 - kPointsHeight, 0), TRUE);
    const int y = height - kPointsHeight + 2;
    int x = 4;
    for (int i = 0; i < 2; ++i) {
        MoveWindow(m_labels[i], x, y + 3, 60, 16, TRUE);
        MoveWindow(m_edits[i], x + 64, y, 64, 20, TRUE);
        MoveWindow(m_units[i], x + 132, y + 3, 24, 16, TRUE);
        x += 170;
    }
}

void FftEqPage::ShowPoint()
{
    if (!m_edits[0])
        return;
    wchar_t text[2][32] = {};
    if (m_selected >= 0 && m_selected < int(m_points.size())) {
        std::swprintf(text[0], 32, L"%.0f", m_points[size_t(m_selected)].frequency);
        std::swprintf(text[1], 32, L"%.1f", m_points[size_t(m_selected)].gainDb);
    }
    m_showing = true; // our own text is no typing
    for (int i = 0; i < 2; ++i) {
        SetWindowTextW(m_edits[i], text[i]);
        EnableWindow(m_edits[i], !m_locked && m_selected >= 0);
    }
    m_showing = false;
}

void FftEqPage::Lock(bool locked)
{
    m_locked = locked;
    if (locked && m_dragging >= 0 && GetCapture() == m_curve)
        ReleaseCapture();
    m_dragging = -1;
    for (HWND edit : m_edits)
        if (edit)
            EnableWindow(edit, !locked && m_selected >= 0);
}

void FftEqPage::CurveEdited()
{
    m_values[kFeqPointCount] = double(m_points.size());
    for (size_t p = 0; p < m_points.size(); ++p) {
        m_values[kFeqFirstPoint + 2 * p] = m_points[p].frequency;
        m_values[kFeqFirstPoint + 2 * p + 1] = m_points[p].gainDb;
    }
    if (m_curve)
        InvalidateRect(m_curve, nullptr, FALSE);
    SetDirty(true);
}

HRESULT FftEqPage::OnApplyChanges()
{
    if (!m_params)
        return E_UNEXPECTED;
    for (int i = kFeqPointCount; i < kFeqPointCount + 1 + 2 * int(m_points.size()); ++i)
        m_params->SetParameter(i, m_values[i]);
    return S_OK;
}

void FftEqPage::MovePoint(int point, double frequency, double gain)
{
    CurvePoint& p = m_points[size_t(point)];
    p.frequency = std::clamp(std::round(frequency), kFeqMinFrequency, kFeqMaxFrequency);
    p.gainDb = std::clamp(std::round(gain * 10) / 10, kFeqMinGain, kFeqMaxGain);
    // Keep the points in frequency order; the moved one stays chosen.
    int at = point;
    while (at > 0 && m_points[size_t(at - 1)].frequency > m_points[size_t(at)].frequency) {
        std::swap(m_points[size_t(at - 1)], m_points[size_t(at)]);
        --at;
    }
    while (at + 1 < int(m_points.size()) && m_points[size_t(at + 1)].frequency < m_points[size_t(at)].frequency) {
        std::swap(m_points[size_t(at + 1)], m_points[size_t(at)]);
        ++at;
    }
    if (m_selected == point)
        m_selected = at;
    if (m_dragging == point)
        m_dragging = at;
}

void FftEqPage::OnStage(LPARAM stage)
{
    switch (stage) {
    case 1:
    case 2:
        if (IsPageDirty() == S_OK && SUCCEEDED(OnApplyChanges()))
            SetDirty(false);
        Lock(true);
        break;
    case 3:
    case 4:
        Lock(false);
        ShowPoint();
        break;
    case 0:
        Lock(false);
        ReadFilter(true);
        SetDirty(false);
        break;
    default:
        break;
    }
}

bool FftEqPage::OnEditCommand(HWND edit, int code)
{
    const int which = edit == m_edits[0] ? 0 : edit == m_edits[1] ? 1 : -1;
    if (which < 0)
        return false;
    if (code == EN_CHANGE && !m_showing && !m_locked && m_selected >= 0) {
        // Typing reaches the filter at once; the text stays the user's until the edit is left.
        wchar_t text[64] = {};
        GetWindowTextW(edit, text, 64);
        wchar_t* end = nullptr;
        const double v = std::wcstod(text, &end);
        if (end != text && *end == 0) {
            const CurvePoint& p = m_points[size_t(m_selected)];
            MovePoint(m_selected, which == 0 ? v : p.frequency, which == 1 ? v : p.gainDb);
            CurveEdited();
        }
        return true;
    }
    if (code == EN_KILLFOCUS) {
        ShowPoint();
        return true;
    }
    return code == EN_CHANGE;
}

INT_PTR FftEqPage::OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    const INT_PTR skin = geq::PageSkinProc(Window(), msg, wp, lp);
    if (skin)
        return skin;
    if (msg == ButtonDownMessage()) {
        OnStage(lp);
        return TRUE;
    }
    switch (msg) {
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_COMMAND:
        return OnEditCommand(reinterpret_cast<HWND>(lp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_DESTROY:
        m_curve = nullptr;
        for (int i = 0; i < 2; ++i)
            m_labels[i] = m_edits[i] = m_units[i] = nullptr;
        return 0;
    default:
        return 0;
    }
}

// ---- the curve control ----

LRESULT CALLBACK FftEqPage::CurveProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        ++g_curveWindows;
    }
    auto* page = reinterpret_cast<FftEqPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // The module may be unloaded once its last page is gone: its window procedure with it.
        if (--g_curveWindows == 0)
            UnregisterClassW(kCurveClass, fxkit::ModuleInstance());
        return DefWindowProcW(window, msg, wp, lp);
    }
    if (!page)
        return DefWindowProcW(window, msg, wp, lp);
    return page->OnCurveMessage(window, msg, wp, lp);
}

LRESULT FftEqPage::OnCurveMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    const POINT at{short(LOWORD(lp)), short(HIWORD(lp))};
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        Paint(memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        // The dialog's refresh: read again and draw, change nothing.
        ReadFilter(IsPageDirty() != S_OK);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(window);
        if (m_locked)
            return 0;
        int hit = HitPoint(at);
        if (hit < 0) {
            if (int(m_points.size()) >= kFeqMaxPoints)
                return 0;
            m_points.push_back({kFeqMinFrequency, 0});
            hit = int(m_points.size()) - 1;
            m_selected = m_dragging = hit;
            MovePoint(hit, XToFrequency(at.x), YToGain(at.y));
            hit = m_selected;
            CurveEdited();
        }
        m_selected = m_dragging = hit;
        SetCapture(window);
        ShowPoint();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (m_dragging >= 0 && !m_locked && (wp & MK_LBUTTON)) {
            MovePoint(m_dragging, XToFrequency(at.x), YToGain(at.y));
            ShowPoint();
            CurveEdited();
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window)
            ReleaseCapture();
        m_dragging = -1;
        return 0;
    case WM_CAPTURECHANGED:
        m_dragging = -1;
        return 0;
    case WM_RBUTTONDOWN: {
        const int hit = HitPoint(at);
        if (m_locked || hit < 0)
            return 0;
        m_points.erase(m_points.begin() + hit);
        m_selected = m_points.empty() ? -1 : std::min(hit, int(m_points.size()) - 1);
        m_dragging = -1;
        ShowPoint();
        CurveEdited();
        return 0;
    }
    default:
        return DefWindowProcW(window, msg, wp, lp);
    }
}

// ---- geometry ----

RECT FftEqPage::Plot() const
{
    RECT r{};
    if (m_curve)
        GetClientRect(m_curve, &r);
    r.left += kLeft;
    r.right = std::max(r.left + 1, r.right - kRight);
    r.top += kTop;
    r.bottom = std::max(r.top + 1, r.bottom - kBottom);
    return r;
}

double FftEqPage::Nyquist() const
{
    return (m_rate ? m_rate : 44100) / 2.0;
}

double FftEqPage::LowestFrequency() const
{
    return m_values[kFeqAxis] == 1 ? 0.0 : kFeqMinFrequency;
}

int FftEqPage::FrequencyToX(double frequency) const
{
    const RECT p = Plot();
    const double lo = LowestFrequency(), hi = Nyquist();
    double t = 0;
    if (lo > 0)
        t = std::log(std::max(frequency, lo) / lo) / std::log(hi / lo);
    else
        t = frequency / hi;
    return p.left + int(std::lround(t * (p.right - p.left)));
}

double FftEqPage::XToFrequency(int x) const
{
    const RECT p = Plot();
    const double t = double(x - p.left) / double(p.right - p.left);
    const double lo = LowestFrequency(), hi = Nyquist();
    return lo > 0 ? lo * std::pow(hi / lo, t) : t * hi;
}

int FftEqPage::GainToY(double gain) const
{
    const RECT p = Plot();
    return p.top + int(std::lround((kFeqMaxGain - gain) / (kFeqMaxGain - kFeqMinGain) * (p.bottom - p.top)));
}

double FftEqPage::YToGain(int y) const
{
    const RECT p = Plot();
    return kFeqMaxGain - double(y - p.top) / double(p.bottom - p.top) * (kFeqMaxGain - kFeqMinGain);
}

int FftEqPage::LevelToY(double level) const
{
    const RECT p = Plot();
    const double lo = m_values[kFeqMinDb], hi = m_values[kFeqMaxDb];
    const double t = std::clamp((hi - level) / std::max(hi - lo, 1.0), 0.0, 1.0);
    return p.top + int(std::lround(t * (p.bottom - p.top)));
}

int FftEqPage::HitPoint(POINT at) const
{
    for (int i = int(m_points.size()) - 1; i >= 0; --i) {
        const int x = FrequencyToX(m_points[size_t(i)].frequency), y = GainToY(m_points[size_t(i)].gainDb);
        if (std::abs(at.x - x) <= kHandle + 2 && std::abs(at.y - y) <= kHandle + 2)
            return i;
    }
    return -1;
}

// ---- drawing ----

void FftEqPage::Paint(HDC dc, const RECT& client) const
{
    const RECT plot = Plot();
    HBRUSH margin = CreateSolidBrush(RGB(228, 230, 234));
    FillRect(dc, &client, margin);
    DeleteObject(margin);
    HBRUSH ground = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &plot, ground);
    DeleteObject(ground);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Window(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(70, 70, 80));
    HPEN grid = CreatePen(PS_SOLID, 1, RGB(222, 224, 230));
    HGDIOBJ oldPen = SelectObject(dc, grid);
    wchar_t text[32];

    // Frequency lines: 1, 2, 5 per decade on the log axis, an even step on the linear one.
    std::vector<double> marks;
    if (LowestFrequency() > 0) {
        for (double decade = 10; decade < Nyquist(); decade *= 10)
            for (double m : {2.0, 5.0, 10.0})
                if (decade * m >= kFeqMinFrequency && decade * m <= Nyquist())
                    marks.push_back(decade * m);
    } else {
        const double step = NiceStep(Nyquist(), std::max(2, int(plot.right - plot.left) / 70));
        for (double f = step; f <= Nyquist(); f += step)
            marks.push_back(f);
    }
    for (double f : marks) {
        const int x = FrequencyToX(f);
        MoveToEx(dc, x, plot.top, nullptr);
        LineTo(dc, x, plot.bottom);
        FrequencyText(f, text, 32);
        RECT t{x - 20, plot.bottom + 1, x + 20, client.bottom};
        DrawTextW(dc, text, -1, &t, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    // Level lines and labels on the left (the spectrum's range).
    const double lo = m_values[kFeqMinDb], hi = m_values[kFeqMaxDb];
    const double levelStep = NiceStep(hi - lo, std::max(2, int(plot.bottom - plot.top) / 28));
    for (double v = std::ceil(lo / levelStep) * levelStep; v <= hi; v += levelStep) {
        const int y = LevelToY(v);
        std::swprintf(text, 32, L"%g", v);
        RECT t{0, y - 7, kLeft - 3, y + 7};
        DrawTextW(dc, text, -1, &t, DT_RIGHT | DT_SINGLELINE | DT_NOCLIP);
    }
    // Gain lines and labels on the right (the curve's scale), 0 dB darker.
    for (double g = kFeqMinGain; g <= kFeqMaxGain; g += 12) {
        const int y = GainToY(g);
        HPEN line = CreatePen(PS_SOLID, 1, g == 0 ? RGB(150, 150, 160) : RGB(222, 224, 230));
        HGDIOBJ before = SelectObject(dc, line);
        MoveToEx(dc, plot.left, y, nullptr);
        LineTo(dc, plot.right, y);
        SelectObject(dc, before);
        DeleteObject(line);
        std::swprintf(text, 32, L"%+g", g);
        RECT t{plot.right + 3, y - 7, client.right, y + 7};
        DrawTextW(dc, text, -1, &t, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    }
    SelectObject(dc, oldPen);
    DeleteObject(grid);

    HRGN clip = CreateRectRgn(plot.left, plot.top, plot.right, plot.bottom);
    SelectClipRgn(dc, clip);
    // The spectrum, filled down to the floor: bins joined straight where they lie apart, the
    // loudest of those that share a column where they crowd.
    if (m_spectrum.size() > 1) {
        const double binHz = Nyquist() / double(m_spectrum.size() - 1);
        std::vector<POINT> shape{{FrequencyToX(binHz), plot.bottom}};
        for (size_t k = 1; k < m_spectrum.size(); ++k) {
            const POINT p{FrequencyToX(double(k) * binHz), LevelToY(m_spectrum[k])};
            if (shape.size() > 1 && shape.back().x == p.x)
                shape.back().y = std::min(shape.back().y, p.y);
            else
                shape.push_back(p);
        }
        shape.push_back({shape.back().x, plot.bottom});
        HBRUSH fill = CreateSolidBrush(RGB(176, 204, 232));
        HPEN edge = CreatePen(PS_SOLID, 1, RGB(70, 120, 180));
        HGDIOBJ b = SelectObject(dc, fill), p = SelectObject(dc, edge);
        Polygon(dc, shape.data(), int(shape.size()));
        SelectObject(dc, b);
        SelectObject(dc, p);
        DeleteObject(fill);
        DeleteObject(edge);
    }
    // The curve and its points.
    HPEN curvePen = CreatePen(PS_SOLID, 2, RGB(200, 60, 40));
    HGDIOBJ before = SelectObject(dc, curvePen);
    for (int x = plot.left; x <= plot.right; ++x) {
        const int y = GainToY(CurveGainDb(m_points, XToFrequency(x)));
        if (x == plot.left)
            MoveToEx(dc, x, y, nullptr);
        else
            LineTo(dc, x, y);
    }
    SelectObject(dc, before);
    DeleteObject(curvePen);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    HBRUSH handle = CreateSolidBrush(RGB(200, 60, 40));
    HBRUSH hollow = CreateSolidBrush(RGB(255, 255, 255));
    HPEN outline = CreatePen(PS_SOLID, 1, RGB(140, 30, 20));
    before = SelectObject(dc, outline);
    for (size_t i = 0; i < m_points.size(); ++i) {
        const int x = FrequencyToX(m_points[i].frequency), y = GainToY(m_points[i].gainDb);
        HGDIOBJ b = SelectObject(dc, int(i) == m_selected ? handle : hollow);
        Rectangle(dc, x - kHandle, y - kHandle, x + kHandle + 1, y + kHandle + 1);
        SelectObject(dc, b);
    }
    SelectObject(dc, before);
    DeleteObject(outline);
    DeleteObject(handle);
    DeleteObject(hollow);
    HPEN frame = CreatePen(PS_SOLID, 1, RGB(120, 124, 136));
    before = SelectObject(dc, frame);
    HGDIOBJ noFill = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);
    SelectObject(dc, noFill);
    SelectObject(dc, before);
    DeleteObject(frame);
    SelectObject(dc, oldFont);
}

} // namespace fx
