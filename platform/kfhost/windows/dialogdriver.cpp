#include "dialogdriver.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

namespace kf::kfhost {
namespace {

using pluginhost::QuoteText;
using pluginhost::Utf8;

thread_local WindowsDialogDriver* tDriver = nullptr;

// A click on a check box is seen within this time, or it did nothing.
constexpr DWORD kClickMs = 2000;
// A dialog that ignores Cancel is ended this long after it was sent.
constexpr DWORD kEndMs = 2000;

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

std::u16string U(const wchar_t* s, std::size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

std::u16string Text(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(n) + 1);
    n = GetWindowTextW(h, buffer.data(), n + 1);
    return U(buffer.data(), static_cast<std::size_t>(n));
}

std::u16string ClassOf(HWND h) {
    wchar_t name[64];
    int n = GetClassNameW(h, name, 64);
    return U(name, static_cast<std::size_t>(n));
}

bool IsClass(HWND h, const char16_t* name) {
    return CompareStringOrdinal(W(ClassOf(h)), -1, reinterpret_cast<const wchar_t*>(name), -1,
                                TRUE) == CSTR_EQUAL;
}

std::u16string ListText(HWND h, bool combo, int i) {
    auto n = SendMessageW(h, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
    if (n < 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(n) + 1);
    n = SendMessageW(h, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                     reinterpret_cast<LPARAM>(buffer.data()));
    return U(buffer.data(), n < 0 ? 0 : static_cast<std::size_t>(n));
}

std::u16string TreeText(HWND tree, HTREEITEM item) {
    wchar_t buffer[512];
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = buffer;
    it.cchTextMax = 512;
    buffer[0] = 0;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return U(buffer, wcslen(buffer));
}

HTREEITEM TreeNext(HWND tree, HTREEITEM item, WPARAM how) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// 0 no check box, 1 unchecked, 2 checked.
UINT CheckImage(HWND tree, HTREEITEM item) {
    auto state =
        SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return static_cast<UINT>((state & TVIS_STATEIMAGEMASK) >> 12);
}

const char* CheckWord(UINT image) {
    return image == 2 ? "checked" : image == 1 ? "unchecked" : "no check box";
}

std::u16string ListViewText(HWND list, int row, int column) {
    wchar_t buffer[512];
    buffer[0] = 0;
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = buffer;
    it.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&it));
    return U(buffer, wcslen(buffer));
}

int ListViewColumns(HWND list) {
    auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int n = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    return n > 0 ? n : 1;
}

struct Found {
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND h, LPARAM p) {
    if (IsWindowVisible(h) && IsWindowEnabled(h) && IsClass(h, u"#32770"))
        reinterpret_cast<Found*>(p)->dialogs.push_back(h);
    return TRUE;
}

// The dialog a user would be typing into: the enabled, visible dialog of this thread (the
// owner of a modal dialog is disabled), the active one when there are several.
HWND ActiveDialog() {
    Found found;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    if (found.dialogs.empty())
        return nullptr;
    HWND active = GetActiveWindow();
    for (HWND d : found.dialogs)
        if (d == active)
            return d;
    return found.dialogs.front();
}

std::string Seconds(DWORD ms) {
    return std::to_string((ms + 999) / 1000) + " s";
}

int ControlId(const Step& s) {
    return static_cast<int>(std::stol(Utf8(s.args[1])));
}

} // namespace

WindowsDialogDriver::WindowsDialogDriver(pluginhost::Transcript& transcript, DWORD timeoutMs)
    : transcript_(transcript), timeoutMs_(timeoutMs) {}

WindowsDialogDriver::~WindowsDialogDriver() {
    if (timer_)
        KillTimer(nullptr, timer_);
    if (tDriver == this)
        tDriver = nullptr;
}

void WindowsDialogDriver::Begin(std::deque<Step>& queue, const std::string& file) {
    queue_ = &queue;
    file_ = file;
    failures_ = 0;
    stepStarted_ = false;
    current_ = nullptr;
    unattended_ = nullptr;
    tDriver = this;
    timer_ = SetTimer(nullptr, 0, 50, OnTimer);
}

int WindowsDialogDriver::End() {
    KillTimer(nullptr, timer_);
    timer_ = 0;
    tDriver = nullptr;
    if (click_.pending) {
        click_.since = GetTickCount() - kClickMs;
        VerifyClick();
    }
    for (auto it = seen_.begin(); it != seen_.end();) {
        if (IsWindow(it->first)) {
            ++it;
            continue;
        }
        transcript_.Add("dialog", "closed " + QuoteText(it->second));
        it = seen_.erase(it);
    }
    // Steps meant for a dialog that closed before they came can never be played.
    if (current_ && !IsWindow(current_))
        while (!queue_->empty() && queue_->front().args[0] != u"wait") {
            Fail(queue_->front(), "its dialog " + QuoteText(currentTitle_) + " closed before");
            queue_->pop_front();
        }
    queue_ = nullptr;
    dismissed_.clear();
    return failures_;
}

void CALLBACK WindowsDialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (tDriver)
        tDriver->Tick();
}

DWORD WindowsDialogDriver::Timeout(const Step& step) const {
    if (step.args[0] == u"wait" && step.args.size() > 2)
        return static_cast<DWORD>(std::stol(Utf8(step.args[2]))) * 1000;
    return timeoutMs_;
}

void WindowsDialogDriver::Fail(const Step& step, const std::string& why) {
    ++failures_;
    transcript_.Add("dialog", "FAILED at " + file_ + ":" + std::to_string(step.line) + " (" +
                                  StepText(step) + "): " + why);
}

void WindowsDialogDriver::Dismiss(HWND dialog, const std::string& why) {
    transcript_.Add("dialog", "closed " + QuoteText(Text(dialog)) + " with Cancel: " + why);
    dismissed_[dialog] = GetTickCount();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void WindowsDialogDriver::NoteShown(HWND active) {
    for (auto it = seen_.begin(); it != seen_.end();) {
        if (IsWindow(it->first)) {
            ++it;
            continue;
        }
        transcript_.Add("dialog", "closed " + QuoteText(it->second));
        it = seen_.erase(it);
    }
    if (active && !seen_.count(active)) {
        seen_[active] = Text(active);
        transcript_.Add("dialog", "shown " + QuoteText(seen_[active]));
    }
}

void WindowsDialogDriver::Tick() {
    // A step's own messages can run a nested modal loop that fires the timer again.
    if (inTick_ || !queue_)
        return;
    inTick_ = true;
    DWORD now = GetTickCount();
    HWND active = ActiveDialog();
    NoteShown(active);
    for (auto it = dismissed_.begin(); it != dismissed_.end();) {
        if (IsWindow(it->first) && now - it->second >= kEndMs) {
            EndDialog(it->first, IDCANCEL);
            it = dismissed_.erase(it);
        } else
            ++it;
    }
    if (click_.pending && VerifyClick() == Outcome::Retry) {
        inTick_ = false;
        return;
    }
    while (!queue_->empty()) {
        Step step = queue_->front();
        if (!stepStarted_) {
            stepStarted_ = true;
            stepSince_ = now;
        }
        auto outcome = Play(step, active);
        if (outcome == Outcome::Retry) {
            if (now - stepSince_ < Timeout(step))
                break;
            queue_->pop_front();
            stepStarted_ = false;
            Fail(step, retryWhy_);
            // The rest of that dialog's steps have nothing to act on.
            while (!queue_->empty() && queue_->front().args[0] != u"wait") {
                transcript_.Add("dialog", "skipped: step at " + file_ + ":" +
                                              std::to_string(queue_->front().line) + " (" +
                                              StepText(queue_->front()) + ")");
                queue_->pop_front();
            }
            if (active && !dismissed_.count(active))
                Dismiss(active, "the scenario has no step for it");
            break;
        }
        queue_->pop_front();
        stepStarted_ = false;
        if (outcome == Outcome::Posted)
            break; // the dialog handles the input before the next step
    }
    // A dialog nobody drives would hang the call: close it after the time-out.
    if (active && queue_->empty() && !click_.pending && !dismissed_.count(active)) {
        if (unattended_ != active) {
            unattended_ = active;
            idleSince_ = now;
        } else if (now - idleSince_ >= timeoutMs_) {
            ++failures_;
            transcript_.Add("dialog", "FAILED: " + QuoteText(Text(active)) +
                                          " stayed open with no step for it");
            Dismiss(active, "no step for it within " + Seconds(timeoutMs_));
        }
    } else
        unattended_ = nullptr;
    inTick_ = false;
}

WindowsDialogDriver::Outcome WindowsDialogDriver::Play(const Step& step, HWND active) {
    const auto& action = step.args[0];
    if (action == u"wait") {
        if (active && Text(active) == step.args[1]) {
            current_ = active;
            currentTitle_ = step.args[1];
            return Outcome::Done;
        }
        retryWhy_ = "no dialog " + QuoteText(step.args[1]) + " within " + Seconds(Timeout(step)) +
                    (active ? " (open: " + QuoteText(Text(active)) + ")" : "");
        return Outcome::Retry;
    }
    if (!current_) {
        if (!active) {
            retryWhy_ = "no dialog within " + Seconds(Timeout(step));
            return Outcome::Retry;
        }
        current_ = active;
        currentTitle_ = Text(active);
    }
    if (!IsWindow(current_)) {
        Fail(step, "its dialog " + QuoteText(currentTitle_) + " is closed");
        return Outcome::Failed;
    }
    if (current_ != active) {
        retryWhy_ = QuoteText(currentTitle_) + " is not the active dialog within " +
                    Seconds(Timeout(step)) +
                    (active ? " (active: " + QuoteText(Text(active)) + ")" : "");
        return Outcome::Retry;
    }
    if (action == u"record") {
        Record(current_);
        return Outcome::Done;
    }
    if (action == u"press")
        return Press(step);
    HWND control = GetDlgItem(current_, ControlId(step));
    std::string id = Utf8(step.args[1]);
    if (!control) {
        Fail(step, "no control " + id + " in " + QuoteText(currentTitle_));
        return Outcome::Failed;
    }
    if (!(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE)) {
        Fail(step, "control " + id + " is hidden");
        return Outcome::Failed;
    }
    if (!IsWindowEnabled(control)) {
        Fail(step, "control " + id + " is disabled");
        return Outcome::Failed;
    }
    if (action == u"set")
        return Set(step, control);
    if (action == u"choose")
        return Choose(step, control);
    return Check(step, control);
}

WindowsDialogDriver::Outcome WindowsDialogDriver::Set(const Step& step, HWND control) {
    std::string id = Utf8(step.args[1]);
    bool edit = IsClass(control, u"Edit");
    // A combo box takes typing only when it has an edit part.
    bool typed = IsClass(control, u"ComboBox") &&
                 (GetWindowLongW(control, GWL_STYLE) & 3) != CBS_DROPDOWNLIST;
    if (!edit && !typed) {
        Fail(step, "control " + id + " is a " + Utf8(ClassOf(control)) + ", not an edit");
        return Outcome::Failed;
    }
    if (edit && (GetWindowLongW(control, GWL_STYLE) & ES_READONLY)) {
        Fail(step, "control " + id + " is read-only");
        return Outcome::Failed;
    }
    // Typing stops at the edit's limit; setting the text would not.
    auto text = step.args[2];
    std::string cut;
    if (edit) {
        auto limit = static_cast<std::size_t>(SendMessageW(control, EM_GETLIMITTEXT, 0, 0));
        if (text.size() > limit) {
            text.resize(limit);
            cut = " (typed up to its limit of " + std::to_string(limit) + ")";
        }
    }
    SetWindowTextW(control, W(text));
    transcript_.Add("dialog", "set " + id + " " + QuoteText(text) + cut);
    return Outcome::Posted;
}

WindowsDialogDriver::Outcome WindowsDialogDriver::Choose(const Step& step, HWND control) {
    std::string id = Utf8(step.args[1]);
    const auto& wanted = step.args[2];
    HWND parent = GetParent(control);
    auto ctlId = static_cast<WORD>(GetDlgCtrlID(control));
    std::string entries;
    if (IsClass(control, u"SysListView32")) {
        int n = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            auto text = ListViewText(control, i, 0);
            if (text == wanted) {
                LVITEMW it{};
                it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                it.state = LVIS_SELECTED | LVIS_FOCUSED;
                SendMessageW(control, LVM_ENSUREVISIBLE, i, FALSE);
                SendMessageW(control, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&it));
                transcript_.Add("dialog", "choose " + id + " " + QuoteText(wanted));
                return Outcome::Posted;
            }
            entries += (entries.empty() ? "" : " ") + QuoteText(text);
        }
    } else {
        bool combo = IsClass(control, u"ComboBox");
        if (!combo && !IsClass(control, u"ListBox")) {
            Fail(step, "control " + id + " is a " + Utf8(ClassOf(control)) + ", not a list");
            return Outcome::Failed;
        }
        int n = static_cast<int>(SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            auto text = ListText(control, combo, i);
            if (text != wanted) {
                entries += (entries.empty() ? "" : " ") + QuoteText(text);
                continue;
            }
            LONG style = GetWindowLongW(control, GWL_STYLE);
            if (combo) {
                SendMessageW(control, CB_SETCURSEL, i, 0);
                PostMessageW(parent, WM_COMMAND, MAKEWPARAM(ctlId, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(control));
            } else {
                if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))
                    SendMessageW(control, LB_SETSEL, TRUE, i);
                else
                    SendMessageW(control, LB_SETCURSEL, i, 0);
                // A list box tells its parent only when it was made to.
                if (style & LBS_NOTIFY)
                    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(ctlId, LBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(control));
            }
            transcript_.Add("dialog", "choose " + id + " " + QuoteText(wanted));
            return Outcome::Posted;
        }
    }
    Fail(step, "no entry " + QuoteText(wanted) + " in control " + id +
                   " (entries: " + (entries.empty() ? "none" : entries) + ")");
    return Outcome::Failed;
}

WindowsDialogDriver::Outcome WindowsDialogDriver::Check(const Step& step, HWND tree) {
    std::string id = Utf8(step.args[1]);
    if (!IsClass(tree, u"SysTreeView32")) {
        Fail(step, "control " + id + " is a " + Utf8(ClassOf(tree)) + ", not a tree");
        return Outcome::Failed;
    }
    // Walk the path from the root level, expanding each item on the way as a user would.
    const auto& path = step.args[2];
    HTREEITEM item = TreeNext(tree, nullptr, TVGN_ROOT);
    std::u16string done;
    for (std::size_t start = 0;;) {
        auto slash = path.find(u'/', start);
        auto name = path.substr(start, slash == std::u16string::npos ? slash : slash - start);
        std::string there;
        while (item && TreeText(tree, item) != name) {
            there += (there.empty() ? "" : " ") + QuoteText(TreeText(tree, item));
            item = TreeNext(tree, item, TVGN_NEXT);
        }
        if (!item) {
            Fail(step, "no item " + QuoteText(name) +
                           (done.empty() ? " at the top" : " below " + QuoteText(done)) +
                           " of tree " + id + " (items: " + (there.empty() ? "none" : there) + ")");
            return Outcome::Failed;
        }
        done += (done.empty() ? u"" : u"/") + name;
        if (slash == std::u16string::npos)
            break;
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = TreeNext(tree, item, TVGN_CHILD);
        start = slash + 1;
    }
    UINT want = step.args[0] == u"check" ? 2 : 1;
    UINT now = CheckImage(tree, item);
    if (now == 0) {
        Fail(step, "item " + QuoteText(path) + " has no check box");
        return Outcome::Failed;
    }
    if (now == want) {
        transcript_.Add("dialog",
                        StepText(step) + " -> already " + CheckWord(want) + ", not clicked");
        return Outcome::Done;
    }
    // Find the state icon by hit test along the item's row, left of its text.
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT r{};
    static_assert(sizeof r >= sizeof item);
    std::memcpy(&r, &item, sizeof item);
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) {
        Fail(step, "item " + QuoteText(path) + " cannot be shown");
        return Outcome::Failed;
    }
    int y = (r.top + r.bottom) / 2, right = -1, left = -1;
    for (int x = r.left - 1; x >= 0; --x) {
        TVHITTESTINFO ht{};
        ht.pt = {x, y};
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
        bool onIcon = ht.hItem == item && (ht.flags & TVHT_ONITEMSTATEICON);
        if (onIcon && right < 0)
            right = x;
        if (onIcon)
            left = x;
        else if (right >= 0)
            break;
    }
    if (right < 0) {
        Fail(step, "the check box of " + QuoteText(path) + " is not where a click reaches it");
        return Outcome::Failed;
    }
    // The cursor goes there too: handlers read the click's place from the message position.
    POINT p{(left + right) / 2, y};
    LPARAM at = MAKELPARAM(p.x, p.y);
    ClientToScreen(tree, &p);
    SetCursorPos(p.x, p.y);
    PostMessageW(tree, WM_MOUSEMOVE, 0, at);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    click_.pending = true;
    click_.tree = tree;
    click_.item = item;
    click_.want = want;
    click_.step = step;
    click_.since = GetTickCount();
    return Outcome::Posted;
}

WindowsDialogDriver::Outcome WindowsDialogDriver::VerifyClick() {
    if (!IsWindow(click_.tree)) {
        click_.pending = false;
        Fail(click_.step, "the tree closed after the click");
        return Outcome::Failed;
    }
    UINT now = CheckImage(click_.tree, click_.item);
    if (now == click_.want) {
        click_.pending = false;
        transcript_.Add("dialog", StepText(click_.step) + " -> " + CheckWord(now));
        return Outcome::Done;
    }
    if (GetTickCount() - click_.since < kClickMs)
        return Outcome::Retry;
    click_.pending = false;
    Fail(click_.step, std::string("the click on its check box left it ") + CheckWord(now));
    return Outcome::Failed;
}

WindowsDialogDriver::Outcome WindowsDialogDriver::Press(const Step& step) {
    int id = ControlId(step);
    HWND button = GetDlgItem(current_, id);
    if (!button) {
        // Escape presses Cancel even without a Cancel button.
        if (id == IDCANCEL) {
            transcript_.Add("dialog", "press 2 (Escape)");
            PostMessageW(current_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return Outcome::Posted;
        }
        Fail(step, "no control " + std::to_string(id) + " in " + QuoteText(currentTitle_));
        return Outcome::Failed;
    }
    if (!(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) {
        Fail(step, "control " + std::to_string(id) + " is hidden");
        return Outcome::Failed;
    }
    if (!IsWindowEnabled(button)) {
        Fail(step, "control " + std::to_string(id) + " is disabled");
        return Outcome::Failed;
    }
    transcript_.Add("dialog", "press " + std::to_string(id) + " " + QuoteText(Text(button)));
    // A button clicks itself (check boxes toggle, radio buttons select); anything else
    // reports the press to its dialog.
    if (IsClass(button, u"Button"))
        PostMessageW(button, BM_CLICK, 0, 0);
    else
        PostMessageW(current_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    return Outcome::Posted;
}

void WindowsDialogDriver::Record(HWND dialog) {
    transcript_.Add("dialog", "record " + QuoteText(Text(dialog)));
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        auto cls = ClassOf(c);
        LONG style = GetWindowLongW(c, GWL_STYLE);
        bool list = IsClass(c, u"ListBox");
        std::u16string text = Text(c);
        if (list) {
            int sel = static_cast<int>(SendMessageW(c, LB_GETCURSEL, 0, 0));
            text = sel >= 0 ? ListText(c, false, sel) : u"";
        }
        std::string line =
            "  " + std::to_string(GetDlgCtrlID(c)) + " " + Utf8(cls) + " " + QuoteText(text);
        if (IsClass(c, u"Button")) {
            auto type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
                auto check = SendMessageW(c, BM_GETCHECK, 0, 0);
                line += check == BST_CHECKED         ? " checked"
                        : check == BST_INDETERMINATE ? " indeterminate"
                                                     : " unchecked";
            }
        }
        line += (style & WS_VISIBLE) ? " visible" : " hidden";
        line += IsWindowEnabled(c) ? " enabled" : " disabled";
        if ((style & ES_READONLY) && IsClass(c, u"Edit"))
            line += " read-only";
        transcript_.Add("dialog", line);
        if (list || IsClass(c, u"ComboBox")) {
            bool combo = !list;
            int n = static_cast<int>(SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
            int sel = static_cast<int>(SendMessageW(c, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
            for (int i = 0; i < n; ++i) {
                bool selected = combo || !(style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))
                                    ? i == sel
                                    : SendMessageW(c, LB_GETSEL, i, 0) > 0;
                transcript_.Add("dialog", "    entry " + QuoteText(ListText(c, combo, i)) +
                                              (selected ? " selected" : ""));
            }
        } else if (IsClass(c, u"SysTreeView32")) {
            // Depth first, each item by its path.
            auto selected = TreeNext(c, nullptr, TVGN_CARET);
            std::vector<std::pair<HTREEITEM, std::u16string>> stack;
            for (auto i = TreeNext(c, nullptr, TVGN_ROOT); i; i = TreeNext(c, i, TVGN_NEXT))
                stack.insert(stack.begin(), {i, TreeText(c, i)});
            while (!stack.empty()) {
                auto [item, path] = stack.back();
                stack.pop_back();
                UINT image = CheckImage(c, item);
                transcript_.Add("dialog", "    item " + QuoteText(path) +
                                              (image ? std::string(" ") + CheckWord(image) : "") +
                                              (item == selected ? " selected" : ""));
                std::vector<std::pair<HTREEITEM, std::u16string>> children;
                for (auto k = TreeNext(c, item, TVGN_CHILD); k; k = TreeNext(c, k, TVGN_NEXT))
                    children.push_back({k, path + u"/" + TreeText(c, k)});
                stack.insert(stack.end(), children.rbegin(), children.rend());
            }
        } else if (IsClass(c, u"SysListView32")) {
            int n = static_cast<int>(SendMessageW(c, LVM_GETITEMCOUNT, 0, 0));
            int columns = ListViewColumns(c);
            for (int i = 0; i < n; ++i) {
                std::string row = "    row";
                for (int k = 0; k < columns; ++k)
                    row += " " + QuoteText(ListViewText(c, i, k));
                if (SendMessageW(c, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED)
                    row += " selected";
                transcript_.Add("dialog", row);
            }
        }
    }
}

} // namespace kf::kfhost
