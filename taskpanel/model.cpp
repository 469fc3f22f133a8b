// The panel's content and configuration: headers with their task lists, ids, colours,
// margins, fonts and the wizard mark. Nothing here repaints; the next paint shows changes.
#include <utility>

#include "id_source.h"
#include "qftaskpanel.h"
#include "runtime/random.h"
#include "text_util.h"

using taskpanel::CutTo;
using taskpanel::WithoutTrailingBlanks;

namespace {

taskpanel::IdSource g_idSource = nullptr;  // null: the runtime's RandomRange

int32_t DrawId() {
  constexpr int32_t kHighest = 2147483647;
  return g_idSource ? g_idSource(1, kHighest) : rt::RandomRange(1, kHighest);
}

// Whether an id is taken in a list (read without moving the list's current entry).
template <class Record>
bool IdTaken(const rt::Queue<Record>& list, int32_t id) {
  for (std::size_t i = 1; i <= list.Records(); ++i)
    if (list.At(i).ID == id) return true;
  return false;
}

// A font of the panel: 13 pixels high in the panel's face.
HFONT MakePanelFont(const std::string& face, int weight, bool underline) {
  return CreateFontA(13, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                     face.c_str());
}

}  // namespace

namespace taskpanel {
IdSource ReplaceIdSource(IdSource source) { return std::exchange(g_idSource, source); }
}  // namespace taskpanel

QFTASKPANELCLASS::QFTASKPANELCLASS() {
  INITED = 0;
  NCURRHEADER = 0;
  HEADERS = rt::NewQueue<QTP_HEADERITEM>();
  FONTNAME = "Tahoma";
  NOGRADIENT = (LPMSIMGLIB == nullptr || QTP_GradientFill == nullptr) ? 1 : 0;

  ISNT = 0;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
  if (!GetVersionExA(&version) || (version.dwMajorVersion == 4 && version.dwMinorVersion == 0)) ISNT = 1;

  SETCOLORGRP(1, 0x00E6A07A, 0x00E6A07A, 0x00D67563, 0, 0);
  SETCOLORGRP(2, 0x00B24D07, 0x00B24D07, 0x00C75C22, 0x00FFFFFF, 0x00FF8E42);
  SETCOLORGRP(3, 0x00FFFFFF, 0x00FFFFFF, 0x00F9D5C7, 0x00C75C22, 0x00FF8E42);
  SETCOLORGRP(4, 0x00F9E7E0, 0, 0, 0x00BC3139, 0);

  NTOPMARGIN = 20;
  NLEFTMARGIN = 10;
  NRIGHTMARGIN = NLEFTMARGIN;
  NBOTTOMMARGIN = 20;

  TOOLTIPMODE = 1;
  WIZARDMODE = 0;
  WORDWRAP = 1;
  TOOLTIPMAXWIDTH = 300;
}

QFTASKPANELCLASS::~QFTASKPANELCLASS() { DESTRUCT(); }

void QFTASKPANELCLASS::DESTRUCT() {
  if (destructed_) return;
  destructed_ = true;
  KILL();  // through the virtual table: a derived KILL runs in its place
  if (!HEADERS) return;
  for (std::size_t i = 1; i <= HEADERS->Records(); ++i) {
    QTP_TASKQUEUE* tasks = HEADERS->At(i).TASKQUEUE;
    if (!tasks) continue;
    rt::FreeQueue(*tasks);
    rt::DisposeQueue(tasks);
  }
  rt::FreeQueue(*HEADERS);
  rt::DisposeQueue(HEADERS);
}

int32_t QFTASKPANELCLASS::GENERATEID(uint8_t NTYPE) {
  for (;;) {
    const int32_t id = DrawId();
    if (NTYPE == 1) {
      if (!HEADERS || !IdTaken(*HEADERS, id)) return id;
    } else {
      const QTP_TASKQUEUE* tasks = HEADERS && HEADERS->Pointer() ? HEADERS->buffer.TASKQUEUE : nullptr;
      if (!tasks || !IdTaken(*tasks, id)) return id;
    }
  }
}

uint8_t QFTASKPANELCLASS::GETHDR(int32_t ID) {
  return HEADERS && rt::GetQueueByKey(*HEADERS, &QTP_HEADERITEM::ID, ID) ? 1 : 0;
}

uint8_t QFTASKPANELCLASS::GETTSK(int32_t ID) {
  if (!HEADERS || !HEADERS->Pointer() || !HEADERS->buffer.TASKQUEUE) return 0;
  return rt::GetQueueByKey(*HEADERS->buffer.TASKQUEUE, &QTP_TASKITEM::ID, ID) ? 1 : 0;
}

int32_t QFTASKPANELCLASS::ADDHEADER(const std::string& TITLE, uint8_t NSTYLE, uint8_t ISEXPANDED,
                                    const std::string& ICONNAME, uint8_t ICONSIZES) {
  const int32_t id = GENERATEID(1);
  rt::ClearQueueBuffer(*HEADERS);
  QTP_HEADERITEM& h = HEADERS->buffer;
  h.TASKQUEUE = rt::NewQueue<QTP_TASKITEM>();
  h.TITLE = CutTo(TITLE, QTP_TITLE_CAPACITY);           // trailing blanks stay
  h.ICONNAME = CutTo(ICONNAME, QTP_ICONNAME_CAPACITY);  // a leading "~" stays
  h.ISEXPANDED = ISEXPANDED;
  h.STYLE = NSTYLE;
  h.ICONSIZES = ICONSIZES;
  h.ISVISIBLE = 1;
  h.WORDWRAP = 1;
  h.ID = id;
  NCURRHEADER = id;
  rt::AddQueue(*HEADERS);
  return id;
}

int32_t QFTASKPANELCLASS::ADDTASK(int32_t HEADERID, const std::string& TITLE, int32_t ACTIONFEQ, uint8_t MIMICBUTTON,
                                  const std::string& ICONNAME, uint8_t DONTMIMICICON, uint32_t USERDATA) {
  // A task needs a header that exists: otherwise nothing is added and the result is 0.
  if (!GETHDR(HEADERID)) return 0;
  QTP_TASKQUEUE& tasks = *HEADERS->buffer.TASKQUEUE;
  // Drawn once the target is current, so that ids are unique within the target's list.
  const int32_t id = GENERATEID(2);

  const std::string icon = ICONNAME.starts_with('~') ? ICONNAME.substr(1) : ICONNAME;
  rt::ClearQueueBuffer(tasks);
  QTP_TASKITEM& t = tasks.buffer;
  t.TITLE = CutTo(WithoutTrailingBlanks(TITLE), QTP_TITLE_CAPACITY);
  t.ICONNAME = CutTo(icon, QTP_ICONNAME_CAPACITY);
  t.LEFTACTIONFEQ = ACTIONFEQ;
  t.MIMICBUTTON = MIMICBUTTON;
  t.ISVISIBLE = 1;
  t.ID = id;
  t.JUSTIFICATION = 0;
  t.MIMICTEXT = 1;
  t.MIMICICON = DONTMIMICICON == 1 ? 0 : 1;
  t.USERDATA = USERDATA;
  rt::AddQueue(tasks);

  if (MIMICBUTTON != 0) ADDITEMMIMIC(HEADERID, id, ACTIONFEQ);
  return id;
}

int32_t QFTASKPANELCLASS::ADDTASK(const std::string& TITLE, int32_t ACTIONFEQ, uint8_t MIMICBUTTON,
                                  const std::string& ICONNAME, uint8_t DONTMIMICICON, const std::string& TOOLTIP) {
  const int32_t id = ADDTASK(NCURRHEADER, TITLE, ACTIONFEQ, MIMICBUTTON, ICONNAME, DONTMIMICICON, 0);
  if (id != 0 && !WithoutTrailingBlanks(TOOLTIP).empty()) SETTASKTOOLTIP(NCURRHEADER, id, TOOLTIP);
  return id;
}

std::string QFTASKPANELCLASS::GETTASKTITLE(int32_t HEADERID, int32_t TASKID) {
  if (GETHDR(HEADERID) && GETTSK(TASKID)) return HEADERS->buffer.TASKQUEUE->buffer.TITLE;
  return {};
}

void QFTASKPANELCLASS::SETEXPANDED(int32_t HEADERID, uint8_t ISEXPANDED) {
  if (!GETHDR(HEADERID)) return;
  HEADERS->buffer.ISEXPANDED = ISEXPANDED;
  rt::PutQueue(*HEADERS);
}

void QFTASKPANELCLASS::SETCOLORGRP(int32_t COLGRP, uint32_t CBACKGROUND, uint32_t CGRADIENTFROM, uint32_t CGRADIENTTO,
                                   uint32_t CTEXT, uint32_t CTEXTHOVERED, std::optional<uint32_t> CDISABLED) {
  QTP_COLORGROUP* group = nullptr;
  switch (COLGRP) {
    case 1: group = &COLORSCHEMA.PANEL; break;
    case 2: group = &COLORSCHEMA.HEADERS; break;
    case 3: group = &COLORSCHEMA.HEADERS2; break;
    case 4: group = &COLORSCHEMA.TASKS; break;
    default: return;
  }
  group->BACKGROUND = FIXCOLOR(CBACKGROUND);
  group->GRADIENTFROM = FIXCOLOR(CGRADIENTFROM);
  group->GRADIENTTO = FIXCOLOR(CGRADIENTTO);
  if (COLGRP == 1) return;  // the panel has no texts
  group->TEXT = FIXCOLOR(CTEXT);
  group->HOVERED = FIXCOLOR(CTEXTHOVERED);
  if (COLGRP == 4) group->DISABLED = CDISABLED ? FIXCOLOR(*CDISABLED) : group->TEXT;
}

uint32_t QFTASKPANELCLASS::FIXCOLOR(uint32_t CIN) {
  if (CIN & 0xF0000000u) return GetSysColor(static_cast<int>(CIN & 0xFF));
  return CIN;
}

void QFTASKPANELCLASS::SETMARGINS(int32_t LEFT, int32_t TOP, std::optional<int32_t> RIGHT,
                                  std::optional<int32_t> BOTTOM) {
  NLEFTMARGIN = LEFT;
  NTOPMARGIN = TOP;
  NRIGHTMARGIN = RIGHT.value_or(LEFT);
  if (BOTTOM) NBOTTOMMARGIN = *BOTTOM;
}

void QFTASKPANELCLASS::SETAPPNAME(const std::string& SZAPPNAME) {
  APPNAME = CutTo(WithoutTrailingBlanks(SZAPPNAME), QTP_APPNAME_CAPACITY);
}

void QFTASKPANELCLASS::SETFONT(const std::string& FNAME) {
  FONTNAME = CutTo(FNAME, QTP_FONTNAME_CAPACITY);
  DESTROYFONTS();
  HTASKFONT[0][0] = MakePanelFont(FONTNAME, 100, false);
  HTASKFONT[0][1] = MakePanelFont(FONTNAME, 100, true);
  HTASKFONT[1][0] = MakePanelFont(FONTNAME, 700, false);
  HTASKFONT[1][1] = MakePanelFont(FONTNAME, 700, true);
  HHEADERFONT = MakePanelFont(FONTNAME, 700, false);
}

void QFTASKPANELCLASS::DESTROYFONTS() {
  HFONT* fonts[] = {&HTASKFONT[0][0], &HTASKFONT[0][1], &HTASKFONT[1][0], &HTASKFONT[1][1], &HHEADERFONT};
  for (HFONT* f : fonts) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
}

void QFTASKPANELCLASS::SETWIZARDMODE(uint8_t MODE) { WIZARDMODE = MODE; }

void QFTASKPANELCLASS::SETACTIVEWIZARDTASK(int32_t HEADERID, int32_t TASKID) {
  if (WIZARDLASTHEADERID != 0 && WIZARDLASTTASKID != 0) SETTASKFONTWEIGHT(WIZARDLASTHEADERID, WIZARDLASTTASKID, 0);
  if (!GETHDR(HEADERID) || !GETTSK(TASKID)) return;  // the old mark is gone, the ids stay
  WIZARDLASTHEADERID = HEADERID;
  WIZARDLASTTASKID = TASKID;
  SETTASKFONTWEIGHT(HEADERID, TASKID, 1);
}

void QFTASKPANELCLASS::SETTASKFONTWEIGHT(std::optional<int32_t> HEADERID, std::optional<int32_t> TASKID,
                                         uint8_t BISBOLD) {
  if (HEADERID && TASKID) {
    if (!GETHDR(*HEADERID) || !GETTSK(*TASKID)) return;
  }
  // Otherwise the current task of the current header, wherever the last search or walk left it.
  if (!HEADERS || !HEADERS->Pointer() || !HEADERS->buffer.TASKQUEUE) return;
  QTP_TASKQUEUE& tasks = *HEADERS->buffer.TASKQUEUE;
  if (!tasks.Pointer()) return;
  tasks.buffer.ISBOLD = BISBOLD ? 1 : 0;  // it indexes the task fonts: only 0 or 1
  rt::PutQueue(tasks);
}
