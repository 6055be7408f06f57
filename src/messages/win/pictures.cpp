#include "messages/win/pictures.h"

#include <array>
#include <functional>

#include "messages/win/common_controls.h"
#include "messages/zbutton_defaults.h"

namespace tlx::win {
namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

// Draws one picture of `size` on a mask-coloured bitmap with `draw` and returns it.
UniqueBitmap Paint(int size, const std::function<void(HDC)>& draw) {
  HDC screen = ::GetDC(nullptr);
  UniqueMemoryDc dc(::CreateCompatibleDC(screen));
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, size, size));
  ::ReleaseDC(nullptr, screen);
  {
    SelectObjectScope select(dc.get(), bitmap.get());
    UniqueBrush mask(::CreateSolidBrush(kMask));
    RECT all{0, 0, size, size};
    ::FillRect(dc.get(), &all, mask.get());
    draw(dc.get());
  }
  return bitmap;
}

void Ellipse(HDC dc, RECT r, COLORREF fill, COLORREF line, int width) {
  UniqueBrush brush(::CreateSolidBrush(fill));
  UniquePen pen(::CreatePen(PS_SOLID, width, line));
  SelectObjectScope b(dc, brush.get());
  SelectObjectScope p(dc, pen.get());
  ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
}

void Polygon(HDC dc, const POINT* points, int count, COLORREF fill, COLORREF line, int width) {
  UniqueBrush brush(::CreateSolidBrush(fill));
  UniquePen pen(::CreatePen(PS_SOLID, width, line));
  SelectObjectScope b(dc, brush.get());
  SelectObjectScope p(dc, pen.get());
  ::Polygon(dc, points, count);
}

void Rect(HDC dc, RECT r, COLORREF fill) {
  UniqueBrush brush(::CreateSolidBrush(fill));
  ::FillRect(dc, &r, brush.get());
}

void Glyph(HDC dc, RECT r, const wchar_t* text, COLORREF colour, int height) {
  UniqueFont font = MakeFont(L"Arial", -height, true);
  SelectObjectScope f(dc, font.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, colour);
  ::DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Cross(HDC dc, int c, int arm, COLORREF colour, int width) {
  UniquePen pen(::CreatePen(PS_SOLID, width, colour));
  SelectObjectScope p(dc, pen.get());
  ::MoveToEx(dc, c - arm, c - arm, nullptr);
  ::LineTo(dc, c + arm, c + arm);
  ::MoveToEx(dc, c + arm, c - arm, nullptr);
  ::LineTo(dc, c - arm, c + arm);
}

// One 64 x 64 picture: `kind` 0 error, 1 question, 2 warning, 3 information.
void DrawMessagePicture(HDC dc, int kind, bool alarm) {
  const RECT disc{4, 4, 60, 60};
  switch (kind) {
    case 0:  // a red disc with a white cross
      Ellipse(dc, disc, alarm ? RGB(255, 255, 255) : RGB(210, 30, 30), RGB(120, 0, 0), 2);
      Cross(dc, 32, 12, alarm ? RGB(200, 0, 0) : RGB(255, 255, 255), 7);
      break;
    case 1:  // a blue disc with a question mark
      Ellipse(dc, disc, alarm ? RGB(255, 255, 255) : RGB(40, 100, 200), RGB(20, 50, 120), 2);
      Glyph(dc, disc, L"?", alarm ? RGB(200, 0, 0) : RGB(255, 255, 255), 40);
      break;
    case 2: {  // a yellow triangle with an exclamation mark
      const POINT tri[] = {{32, 4}, {61, 58}, {3, 58}};
      Polygon(dc, tri, 3, alarm ? RGB(255, 255, 255) : RGB(250, 210, 40), RGB(120, 90, 0), 2);
      Rect(dc, RECT{29, 20, 36, 43}, alarm ? RGB(200, 0, 0) : RGB(30, 30, 30));
      Rect(dc, RECT{29, 47, 36, 54}, alarm ? RGB(200, 0, 0) : RGB(30, 30, 30));
      break;
    }
    default:  // a blue disc with an "i"
      Ellipse(dc, disc, alarm ? RGB(255, 255, 255) : RGB(30, 130, 220), RGB(20, 60, 130), 2);
      Rect(dc, RECT{28, 14, 36, 22}, alarm ? RGB(200, 0, 0) : RGB(255, 255, 255));
      Rect(dc, RECT{28, 26, 36, 50}, alarm ? RGB(200, 0, 0) : RGB(255, 255, 255));
      break;
  }
}

void Arrow(HDC dc, int dx, int dy, COLORREF colour) {
  // A solid arrow pointing along (dx, dy) in a 16 x 16 cell.
  POINT right[] = {{2, 6}, {8, 6}, {8, 2}, {14, 8}, {8, 14}, {8, 10}, {2, 10}};
  for (POINT& p : right) {
    int x = p.x - 8, y = p.y - 8;
    int rx = dx != 0 ? x * dx : -y * dy;
    int ry = dx != 0 ? y * dx : x * dy;
    p = {rx + 8, ry + 8};
  }
  Polygon(dc, right, 7, colour, colour, 1);
}

void Check(HDC dc, COLORREF colour) {
  UniquePen pen(::CreatePen(PS_SOLID, 3, colour));
  SelectObjectScope p(dc, pen.get());
  ::MoveToEx(dc, 3, 8, nullptr);
  ::LineTo(dc, 7, 12);
  ::LineTo(dc, 13, 3);
}

// One 16 x 16 image; the ones the controls use have their own drawing, the rest a neutral mark.
void DrawImage16(HDC dc, int n) {
  using namespace tlx::messages;
  const COLORREF green = RGB(0, 140, 40), red = RGB(200, 30, 30), blue = RGB(30, 90, 200);
  switch (n) {
    case eil16x16_OK: case eil16x16_Apply: case eil16x16_CbChkd: Check(dc, green); break;
    case eil16x16_Cancel: case eil16x16_Erase: Cross(dc, 8, 5, red, 3); break;
    case eil16x16_Next: case eil16x16_Right: case eil16x16_RArrow: case eil16x16_BigRght: Arrow(dc, 1, 0, blue); break;
    case eil16x16_Prev: case eil16x16_Left: case eil16x16_LArrow: case eil16x16_BigLeft: Arrow(dc, -1, 0, blue); break;
    case eil16x16_Up: case eil16x16_UArrow: Arrow(dc, 0, -1, blue); break;
    case eil16x16_Down: case eil16x16_DArrow: Arrow(dc, 0, 1, blue); break;
    case eil16x16_Save: case eil16x16_Save2: case eil16x16_Save3:
      Rect(dc, RECT{2, 2, 14, 14}, blue);
      Rect(dc, RECT{5, 2, 11, 7}, RGB(255, 255, 255));
      Rect(dc, RECT{4, 10, 12, 14}, RGB(200, 200, 200));
      break;
    case eil16x16_Look: case eil16x16_Find: case eil16x16_ZoomIn: case eil16x16_ZoomOu:
      Ellipse(dc, RECT{2, 2, 11, 11}, RGB(220, 240, 255), RGB(40, 40, 40), 2);
      Cross(dc, 13, 0, RGB(40, 40, 40), 1);
      {
        UniquePen pen(::CreatePen(PS_SOLID, 3, RGB(40, 40, 40)));
        SelectObjectScope p(dc, pen.get());
        ::MoveToEx(dc, 10, 10, nullptr);
        ::LineTo(dc, 14, 14);
      }
      break;
    case eil16x16_Refresh: case eil16x16_Undo: case eil16x16_Redo:
      Ellipse(dc, RECT{2, 2, 14, 14}, kMask, green, 2);
      Arrow(dc, 0, 1, green);
      break;
    case eil16x16_Gear:
      Ellipse(dc, RECT{1, 1, 15, 15}, RGB(120, 120, 120), RGB(70, 70, 70), 1);
      Ellipse(dc, RECT{5, 5, 11, 11}, kMask, RGB(70, 70, 70), 1);
      break;
    case eil16x16_Skip: Arrow(dc, 1, 0, RGB(200, 120, 0)); break;
    default:
      Ellipse(dc, RECT{5, 5, 11, 11}, RGB(150, 150, 150), RGB(110, 110, 110), 1);
      break;
  }
}

}  // namespace

UniqueImageList MakeMessagePictures() {
  UniqueImageList list(Comctl().ImageList_Create(64, 64, ILC_COLOR24 | ILC_MASK, 8, 0));
  for (int look = 0; look < 2; ++look) {
    for (int kind = 0; kind < 4; ++kind) {
      UniqueBitmap bitmap = Paint(64, [&](HDC dc) { DrawMessagePicture(dc, kind, look == 1); });
      Comctl().ImageList_AddMasked(list.get(), bitmap.get(), kMask);
    }
  }
  return list;
}

HIMAGELIST SharedImages16() {
  static UniqueImageList list = [] {
    UniqueImageList made(Comctl().ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, messages::eil16x16_End, 0));
    for (int n = 0; n < messages::eil16x16_End; ++n) {
      UniqueBitmap bitmap = Paint(16, [&](HDC dc) { DrawImage16(dc, n); });
      Comctl().ImageList_AddMasked(made.get(), bitmap.get(), kMask);
    }
    return made;
  }();
  return list.get();
}

HICON KindIcon(int kind) {
  static std::array<HICON, 4> icons{};
  if (kind < 0 || kind > 3) return nullptr;
  if (icons[kind] == nullptr) {
    static const int picture_of_kind[] = {3, 2, 0, 1};  // information, warning, error, choice
    UniqueImageList pictures = MakeMessagePictures();
    icons[kind] = Comctl().ImageList_GetIcon(pictures.get(), picture_of_kind[kind], ILD_NORMAL);
  }
  return icons[kind];
}

}  // namespace tlx::win
