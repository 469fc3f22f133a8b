#pragma once
// The task panel: collapsible groups (headers) of tasks, drawn by the panel itself into a
// control that it takes over from its owner window. An owner derives from the class,
// supplies EXECUTEACTION, fills and configures the panel and then calls INIT with the
// number of the control to take over.
//
// Layout is done in content coordinates: x as in the control's client area, y from the top
// of the whole content; client row r shows content row r + SCROLLPOS.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/queue.h"
#include "taskpanel/icon_cache.h"

// Capacities of the panel's texts (characters, without the terminator).
constexpr std::size_t QTP_TITLE_CAPACITY = 254;
constexpr std::size_t QTP_ICONNAME_CAPACITY = 254;
constexpr std::size_t QTP_TOOLTIP_CAPACITY = 511;
constexpr std::size_t QTP_FONTNAME_CAPACITY = 254;
constexpr std::size_t QTP_APPNAME_CAPACITY = 255;
constexpr std::size_t QTP_PROPNAME_CAPACITY = 99;

// The window property that leads every replaced window procedure to its panel object.
constexpr char QTP_CLASSADDR_PROPERTY[] = "QTP:ClassAddr";

struct QTP_RECT {
  int32_t LEFT = 0, TOP = 0, RIGHT = 0, BOTTOM = 0;
  bool operator==(const QTP_RECT&) const = default;
};

struct QTP_COLORGROUP {
  uint32_t BACKGROUND = 0, GRADIENTFROM = 0, GRADIENTTO = 0, TEXT = 0, HOVERED = 0, DISABLED = 0;
};

struct QTP_COLORSCHEMA {
  QTP_COLORGROUP PANEL, HEADERS, HEADERS2, TASKS;
};

struct QTP_TASKITEM {
  int32_t ID = 0;
  std::string TITLE;
  uint8_t ISVISIBLE = 0;
  uint8_t ISHOVERED = 0;
  QTP_RECT MOUSERECT;
  std::string ICONNAME;
  std::string TOOLTIP;
  uint8_t ISDISABLED = 0;
  uint8_t ISBOLD = 0;
  int32_t LEFTACTIONFEQ = 0;
  uint8_t MIMICBUTTON = 0;
  uint8_t JUSTIFICATION = 0;
  uint8_t MIMICICON = 0;
  uint8_t MIMICTEXT = 0;
  ::HWND BUTTONWND = nullptr;
  WNDPROC BUTTONWNDPROC = nullptr;
  uint32_t USERDATA = 0;
};

using QTP_TASKQUEUE = rt::Queue<QTP_TASKITEM>;

struct QTP_HEADERITEM {
  int32_t ID = 0;
  std::string TITLE;
  uint8_t ISVISIBLE = 0;
  uint8_t ISHOVERED = 0;
  QTP_RECT MOUSERECT;
  std::string ICONNAME;
  uint8_t ISEXPANDED = 0;
  QTP_TASKQUEUE* TASKQUEUE = nullptr;  // owned by the panel: freed by DESTRUCT
  uint8_t STYLE = 0;
  uint8_t ISALWAYSEXPANDED = 0;
  uint8_t ICONSIZES = 0;
  uint8_t DONTWIZARD = 0;
  uint8_t WORDWRAP = 0;
  uint8_t ISBOXED = 0;
};

using QTP_HEADERQUEUE = rt::Queue<QTP_HEADERITEM>;

// GradientFill of msimg32.dll, bound at run time.
using QTP_GRADIENTFILL = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

class QFTASKPANELCLASS {
 public:
  QFTASKPANELCLASS();  // CONSTRUCT
  // The owner calls DESTRUCT before it deletes the object, so that KILL runs through the
  // virtual table (a derived KILL in its place). The destructor runs DESTRUCT only when the
  // owner has not, and then can reach no more than the class's own KILL.
  virtual ~QFTASKPANELCLASS();
  void DESTRUCT();
  QFTASKPANELCLASS(const QFTASKPANELCLASS&) = delete;
  QFTASKPANELCLASS& operator=(const QFTASKPANELCLASS&) = delete;

  // Virtual operations, in slot order.
  virtual void INIT(int32_t NCONTROL);
  virtual void KILL();
  virtual void EXECUTEACTION(int32_t HEADERID, int32_t TASKID, int32_t MOUSEBTN, int32_t FEQ) = 0;

  // Model and configuration.
  int32_t ADDHEADER(const std::string& TITLE, uint8_t NSTYLE, uint8_t ISEXPANDED = 1, const std::string& ICONNAME = "",
                    uint8_t ICONSIZES = 24);
  int32_t ADDTASK(int32_t HEADERID, const std::string& TITLE, int32_t ACTIONFEQ, uint8_t MIMICBUTTON = 0,
                  const std::string& ICONNAME = "", uint8_t DONTMIMICICON = 0, uint32_t USERDATA = 0);
  int32_t ADDTASK(const std::string& TITLE, int32_t ACTIONFEQ, uint8_t MIMICBUTTON, const std::string& ICONNAME,
                  uint8_t DONTMIMICICON, const std::string& TOOLTIP);
  uint8_t GETHDR(int32_t ID);
  uint8_t GETTSK(int32_t ID);
  std::string GETTASKTITLE(int32_t HEADERID, int32_t TASKID);
  void SETEXPANDED(int32_t HEADERID, uint8_t ISEXPANDED = 1);
  void SETCOLORGRP(int32_t COLGRP, uint32_t CBACKGROUND, uint32_t CGRADIENTFROM, uint32_t CGRADIENTTO, uint32_t CTEXT,
                   uint32_t CTEXTHOVERED, std::optional<uint32_t> CDISABLED = std::nullopt);
  uint32_t FIXCOLOR(uint32_t CIN);
  void SETMARGINS(int32_t NLEFTMARGIN, int32_t NTOPMARGIN, std::optional<int32_t> NRIGHTMARGIN = std::nullopt,
                  std::optional<int32_t> NBOTTOMMARGIN = std::nullopt);
  void SETAPPNAME(const std::string& SZAPPNAME);
  void SETFONT(const std::string& FNAME);
  void DESTROYFONTS();
  void SETWIZARDMODE(uint8_t WIZARDMODE);
  void SETACTIVEWIZARDTASK(int32_t HEADERID, int32_t TASKID);
  void SETTASKFONTWEIGHT(std::optional<int32_t> HEADERID, std::optional<int32_t> TASKID, uint8_t BISBOLD);
  int32_t GENERATEID(uint8_t NTYPE);

  // Takeover and dispatch.
  WNDPROC SUBCLASS(::HWND WINDOW, const std::string& PROPERTYNAME, WNDPROC NEWPROC);
  void UNSUBCLASS(::HWND WINDOW, const std::string& PROPERTYNAME, WNDPROC RESTOREPROC);
  void REFRESH();

  // Painting.
  void TAKEPAINTEVENT();
  int32_t CALCULATEPANELHEIGHT(HDC DC, const QTP_RECT& WINRECT);
  int32_t CALCULATETEXTHEIGHT(HDC DC, int32_t LHEADERW, int32_t LHEADERMINH);
  int32_t DRAWTASK(HDC DC, const QTP_RECT& RHDR, int32_t NYPOS, int32_t NMINHEIGHT);
  void DRAWICON(HDC DC, int32_t X, int32_t Y, int32_t W, int32_t H, const std::string& SZICONNAME);
  static std::string GETICONNAME(const std::string& ICONNAME);
  void DRAWLINE(HDC DC, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t CCOLOR);
  void DRAWRECT(HDC DC, int32_t NXPOS, int32_t NYPOS, int32_t NRIGHT, int32_t NBOTTOM, uint32_t ARGCOLOR);
  void SETBKCOLOR(HDC DC, uint32_t CCOLOR);
  void SETTEXTCOLOR(HDC DC, uint32_t CCOLOR);
  void DRAWHEADER(HDC DC, const QTP_RECT& RHDR);
  static TRIVERTEX CREATEVERTEX(uint32_t CCOLOR, int32_t X, int32_t Y);

  // Hover, clicks and cursor.
  void TAKEMOUSEMOVEEVENT(LPARAM LPARAMVALUE);
  void TAKEMOUSEBUTTONEVENT(uint8_t BTN, LPARAM LPARAMVALUE);
  void TAKETIMEREVENT();
  void SETCURSOR(int32_t NCURSOR);

  // Scrolling.
  void SETSCROLLINFO(int32_t NMIN, int32_t NMAX, int32_t NPAGE, int32_t NPOS);
  void TAKESCROLLEVENT(WPARAM WPARAMVALUE);

  // Tooltips.
  void CREATETOOLTIPPARENT();
  void SETTOOLTIPMODE(uint8_t TOOLTIPMODE);
  void SETTOOLTIPMAXWIDTH(int32_t TOOLTIPMAXWIDTH);
  void SETTASKTOOLTIP(int32_t HEADERID, int32_t TASKID, const std::string& TOOLTIP);
  void ADDTOOLTIP(int32_t ID, const std::string& TEXT, const QTP_RECT& RECTANGLE);
  void REMOVETOOLTIP(int32_t ID);
  void REMOVEALLTOOLTIPS(int32_t HEADERID);
  void UPDATETOOLTIP();
  void REPOPULATETOOLTIPS();

  // Mimic buttons.
  void ADDITEMMIMIC(int32_t HEADERID, int32_t TASKID, int32_t BTN);
  void CHECKMIMICS(int32_t FEQ);
  WNDPROC GETMIMICWNDPROC(::HWND BUTTON);

  // Object fields, in declaration order.
  ::HWND HWND = nullptr;
  ::HWND HPARENTWND = nullptr;
  WNDPROC OLDWNDPROCADDR = nullptr;
  ::HWND HTOOLWND = nullptr;
  UINT_PTR LTIMER = 0;
  HCURSOR HCURSORARROW = nullptr;
  HCURSOR HCURSORHAND = nullptr;
  HFONT HHEADERFONT = nullptr;
  HFONT HTASKFONT[2][2] = {};  // [ISBOLD][ISHOVERED]
  QTP_HEADERQUEUE* HEADERS = nullptr;
  int32_t NCURRHEADER = 0;
  int32_t SCROLLPOS = 0;
  std::string FONTNAME;
  std::string APPNAME;
  uint8_t INITED = 0;
  uint8_t NOGRADIENT = 0;
  uint8_t ISNT = 0;
  uint8_t TOOLTIPMODE = 0;
  int32_t TOOLTIPMAXWIDTH = 0;
  uint8_t WIZARDMODE = 0;
  int32_t WIZARDLASTHEADERID = 0;
  int32_t WIZARDLASTTASKID = 0;
  uint8_t WORDWRAP = 0;
  QTP_COLORSCHEMA COLORSCHEMA;
  int32_t NTOPMARGIN = 0;
  int32_t NLEFTMARGIN = 0;
  int32_t NRIGHTMARGIN = 0;
  int32_t NBOTTOMMARGIN = 0;

  // The icons the panel has drawn, per name and size: made at their first use, destroyed in
  // KILL and with the panel, as its fonts are.
  const taskpanel::IconCache& LoadedIcons() const { return icons_; }

 private:
  bool destructed_ = false;
  taskpanel::IconCache icons_;
};

// The replaced window procedures.
LRESULT CALLBACK QFTASKPANELCLASS_WNDPROC(::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK QFTASKPANELCLASS_MIMICWNDPROC(::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The gradient function loader: one process-wide object that loads msimg32.dll at module
// start-up and frees it at module clean-up.
class QTP_LINKLOADERCLASS {
 public:
  void CONSTRUCT();
  void DESTRUCT();
};
extern QTP_LINKLOADERCLASS QTPLINKERLOADER;
extern HMODULE LPMSIMGLIB;
extern QTP_GRADIENTFILL QTP_GradientFill;
