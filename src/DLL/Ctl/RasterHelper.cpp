#include "DLL/Ctl/RasterHelper.h"

#include "ALL/Assert.h"

#include <wx/graphics.h>

#include <cairo.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// The colour's red, green and blue in the layout of a cairo pixel (native 32-bit word).
uint32_t XorMask(const wxColour& pColour) {
    return (uint32_t(pColour.Red()) << 16) | (uint32_t(pColour.Green()) << 8) |
           uint32_t(pColour.Blue());
}

void XorPixels(unsigned char* pData, int pStride, const wxRect& pArea, uint32_t pMask) {
    for (int y = pArea.y; y < pArea.y + pArea.height; ++y) {
        uint32_t* pixel =
            reinterpret_cast<uint32_t*>(pData + std::ptrdiff_t(y) * pStride) + pArea.x;
        for (int x = 0; x < pArea.width; ++x)
            pixel[x] ^= pMask;
    }
}

bool IsWhole(double pValue) {
    return std::fabs(pValue) < 1e9 && pValue == std::floor(pValue);
}

// The usual case, a DC on an image in memory at scale 1: the pixels of the rectangles that lie
// inside the image and the clipping are exclusive-ored in place. False, with nothing done, for
// any other target.
bool XorInImage(cairo_t* pCairo, const wxRect* pRects, int pCount, uint32_t pMask) {
    cairo_surface_t* surface = cairo_get_target(pCairo);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return false;
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32)
        return false;
    double scaleX, scaleY, offsetX, offsetY;
    cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
    cairo_surface_get_device_offset(surface, &offsetX, &offsetY);
    cairo_matrix_t matrix;
    cairo_get_matrix(pCairo, &matrix);
    if (scaleX != 1 || scaleY != 1 || matrix.xx != 1 || matrix.yy != 1 || matrix.xy != 0 ||
        matrix.yx != 0 || !IsWhole(matrix.x0 + offsetX) || !IsWhole(matrix.y0 + offsetY))
        return false;
    const int shiftX = int(matrix.x0 + offsetX);
    const int shiftY = int(matrix.y0 + offsetY);

    cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(pCairo);
    bool inImage = clips->status == CAIRO_STATUS_SUCCESS;
    for (int i = 0; inImage && i < clips->num_rectangles; ++i) {
        const cairo_rectangle_t& clip = clips->rectangles[i];
        inImage = IsWhole(clip.x) && IsWhole(clip.y) && IsWhole(clip.width) && IsWhole(clip.height);
    }
    if (inImage) {
        const wxRect image(0, 0, cairo_image_surface_get_width(surface),
                           cairo_image_surface_get_height(surface));
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int r = 0; r < pCount; ++r) {
            const wxRect target = wxRect(pRects[r].x + shiftX, pRects[r].y + shiftY,
                                         pRects[r].width, pRects[r].height)
                                      .Intersect(image);
            for (int i = 0; i < clips->num_rectangles; ++i) {
                const cairo_rectangle_t& clip = clips->rectangles[i];
                const wxRect area = wxRect(int(clip.x) + shiftX, int(clip.y) + shiftY,
                                           int(clip.width), int(clip.height))
                                        .Intersect(target);
                if (!area.IsEmpty())
                    XorPixels(data, stride, area, pMask);
            }
            if (!target.IsEmpty())
                cairo_surface_mark_dirty_rectangle(surface, target.x, target.y, target.width,
                                                   target.height);
        }
    }
    cairo_rectangle_list_destroy(clips);
    return inImage;
}

// Any other target (a window, a scaled DC): the device pixels under pRect are copied out into
// an image, exclusive-ored there and drawn back unblended, through the DC's clipping.
void XorThroughCopy(cairo_t* pCairo, const wxRect& pRect, uint32_t pMask) {
    double left = pRect.x, top = pRect.y;
    double right = double(pRect.x) + pRect.width, bottom = double(pRect.y) + pRect.height;
    cairo_user_to_device(pCairo, &left, &top);
    cairo_user_to_device(pCairo, &right, &bottom);
    const double x0 = std::floor(std::fmin(left, right)), y0 = std::floor(std::fmin(top, bottom));
    const double x1 = std::ceil(std::fmax(left, right)), y1 = std::ceil(std::fmax(top, bottom));
    if (!IsWhole(x0) || !IsWhole(y0) || !IsWhole(x1 - x0) || !IsWhole(y1 - y0))
        return;
    const int width = int(x1 - x0), height = int(y1 - y0);
    if (width == 0 || height == 0)
        return;

    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* copier = cairo_create(copy);
    cairo_set_operator(copier, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(copier, cairo_get_target(pCairo), -x0, -y0);
    cairo_paint(copier);
    cairo_destroy(copier);

    cairo_surface_flush(copy);
    XorPixels(cairo_image_surface_get_data(copy), cairo_image_surface_get_stride(copy),
              wxRect(0, 0, width, height), pMask);
    cairo_surface_mark_dirty(copy);

    cairo_save(pCairo);
    cairo_identity_matrix(pCairo);
    cairo_set_operator(pCairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(pCairo, copy, x0, y0);
    cairo_rectangle(pCairo, x0, y0, width, height);
    cairo_fill(pCairo);
    cairo_restore(pCairo);
    cairo_surface_destroy(copy);
}

// Each rectangle exclusive-ored on its own, so that pixels where they overlap are changed twice.
void XorRects(wxDC& pDC, const wxRect* pRects, int pCount, const wxColour& pColour) {
    wxGraphicsContext* context = pDC.GetGraphicsContext();
    if (!ZV_ASSERT(context != NULL))
        return;
    cairo_t* cairo = static_cast<cairo_t*>(context->GetNativeContext());
    const uint32_t mask = XorMask(pColour);
    if (XorInImage(cairo, pRects, pCount, mask))
        return;
    for (int i = 0; i < pCount; ++i)
        XorThroughCopy(cairo, pRects[i], mask);
}

bool IsDrawn(const wxPen& pPen) {
    return pPen.IsOk() && !pPen.IsTransparent();
}

bool IsDrawn(const wxBrush& pBrush) {
    return pBrush.IsOk() && !pBrush.IsTransparent();
}

} // namespace

void TRasterHelper::DrawRectangle(int pX, int pY, int pWidth, int pHeight) const {
    DrawRectangle(wxRect(pX, pY, pWidth, pHeight));
}

void TRasterHelper::DrawRectangle(const wxRect& pRect) const {
    if (pRect.width <= 0 || pRect.height <= 0)
        return;
    const wxPen& pen = aDC.GetPen();
    const bool brush = IsDrawn(aDC.GetBrush());
    if (!IsDrawn(pen)) {
        if (brush)
            FillBrush(pRect);
        return;
    }
    FillRing(pRect, pen.GetColour());
    if (brush && pRect.width > 2 && pRect.height > 2)
        FillBrush(wxRect(pRect).Deflate(1));
}

void TRasterHelper::DrawLine(int pX1, int pY1, int pX2, int pY2) const {
    if (!ZV_ASSERT(pX1 == pX2 || pY1 == pY2))
        return;
    const wxPen& pen = aDC.GetPen();
    if (!IsDrawn(pen) || (pX1 == pX2 && pY1 == pY2))
        return;
    wxRect line;
    if (pY1 == pY2)
        line = pX1 < pX2 ? wxRect(pX1, pY1, pX2 - pX1, 1) : wxRect(pX2 + 1, pY1, pX1 - pX2, 1);
    else
        line = pY1 < pY2 ? wxRect(pX1, pY1, 1, pY2 - pY1) : wxRect(pX1, pY2 + 1, 1, pY1 - pY2);
    FillColour(&line, 1, pen.GetColour());
}

void TRasterHelper::FillRing(const wxRect& pRect, const wxColour& pColour) const {
    const int x = pRect.x, y = pRect.y, w = pRect.width, h = pRect.height;
    wxRect ring[4];
    int count = 0;
    ring[count++] = wxRect(x, y, w, 1);
    if (h > 1)
        ring[count++] = wxRect(x, y + h - 1, w, 1);
    if (h > 2) {
        ring[count++] = wxRect(x, y + 1, 1, h - 2);
        if (w > 1)
            ring[count++] = wxRect(x + w - 1, y + 1, 1, h - 2);
    }
    FillColour(ring, count, pColour);
}

void TRasterHelper::FillColour(const wxRect* pRects, int pCount, const wxColour& pColour) const {
    if (aDC.GetLogicalFunction() == wxXOR) {
        XorRects(aDC, pRects, pCount, pColour);
        return;
    }
    const wxPen pen = aDC.GetPen();
    const wxBrush brush = aDC.GetBrush();
    aDC.SetPen(*wxTRANSPARENT_PEN);
    aDC.SetBrush(wxBrush(pColour, wxBRUSHSTYLE_SOLID));
    for (int i = 0; i < pCount; ++i)
        aDC.DrawRectangle(pRects[i]);
    aDC.SetBrush(brush);
    aDC.SetPen(pen);
}

void TRasterHelper::FillBrush(const wxRect& pRect) const {
    if (aDC.GetLogicalFunction() == wxXOR) {
        XorRects(aDC, &pRect, 1, aDC.GetBrush().GetColour());
        return;
    }
    // With a transparent pen a native rectangle covers exactly its pixels.
    const wxPen pen = aDC.GetPen();
    if (IsDrawn(pen))
        aDC.SetPen(*wxTRANSPARENT_PEN);
    aDC.DrawRectangle(pRect);
    if (IsDrawn(pen))
        aDC.SetPen(pen);
}
