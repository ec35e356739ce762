#include "testplugin.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "testdialog.h"

namespace kf::kfhost {
namespace {

using pluginhost::QuoteText;

std::u16string U(const wchar_t* s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s));
}

std::u16string Text(HWND h) {
    wchar_t buffer[256];
    GetWindowTextW(h, buffer, 256);
    return U(buffer);
}

struct State {
    pluginhost::Transcript* transcript;
    std::u16string details;
    std::vector<std::string> notices; // notifications and clicks, in order
};

HTREEITEM Add(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW in{};
    in.hParent = parent;
    in.hInsertAfter = TVI_LAST;
    in.item.mask = TVIF_TEXT | TVIF_STATE;
    in.item.pszText = const_cast<wchar_t*>(text);
    in.item.stateMask = TVIS_STATEIMAGEMASK;
    in.item.state = INDEXTOSTATEIMAGEMASK(1);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&in)));
}

std::u16string ItemText(HWND tree, HTREEITEM item) {
    wchar_t buffer[128] = {};
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = buffer;
    it.cchTextMax = 128;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return U(buffer);
}

// Paths of the checked items, depth first.
void Checked(HWND tree, HTREEITEM item, const std::u16string& prefix, std::u16string& out) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        auto path = prefix + ItemText(tree, item);
        if (((TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2)
            out += (out.empty() ? u"" : u";") + path;
        Checked(tree, TreeView_GetChild(tree, item), path + u"/", out);
    }
}

INT_PTR CALLBACK Details(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
        reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER))->details =
            Text(GetDlgItem(dlg, KF_TEST_DETAIL_TEXT));
        EndDialog(dlg, IDOK);
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK Main(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* st = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        SendDlgItemMessageW(dlg, KF_TEST_NAME, EM_LIMITTEXT, 12, 0);
        SetDlgItemTextW(dlg, KF_TEST_MODEL, L"C:\\models\\sales.oom");
        for (auto mode : {L"Replace target", L"Update target", L"Check only"})
            SendDlgItemMessageW(dlg, KF_TEST_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
        SendDlgItemMessageW(dlg, KF_TEST_MODE, CB_SETCURSEL, 0, 0);
        for (auto lib : {L"orders.kfl", L"shared.kfl", L"base.kfl"})
            SendDlgItemMessageW(dlg, KF_TEST_LIBRARIES, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(lib));
        HWND tree = GetDlgItem(dlg, KF_TEST_TREE);
        // Check boxes set on items before the tree has made its own would be reset (Wine
        // does it at the first paint): switching the style on makes them now.
        LONG style = GetWindowLongW(tree, GWL_STYLE);
        SetWindowLongW(tree, GWL_STYLE, style & ~TVS_CHECKBOXES);
        SetWindowLongW(tree, GWL_STYLE, style);
        auto root = Add(tree, TVI_ROOT, L"Root");
        auto orders = Add(tree, root, L"Orders");
        Add(tree, orders, L"w_order");
        Add(tree, orders, L"d_order");
        auto base = Add(tree, Add(tree, root, L"Shared"), L"u_base");
        TreeView_SetItemState(tree, base, INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK);
        TreeView_Expand(tree, root, TVE_EXPAND);
        // A list in report form, as the options dialogs have.
        HWND list = GetDlgItem(dlg, KF_TEST_OPTIONS);
        ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        const wchar_t* columns[] = {L"Name", L"Value"};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNW c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH;
            c.cx = 120;
            c.pszText = const_cast<wchar_t*>(columns[i]);
            SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
        }
        const wchar_t* rows[][2] = {{L"AutoSync", L"False"}, {L"TestCodeGen", L"True"}};
        for (int i = 0; i < 2; ++i) {
            LVITEMW it{};
            it.mask = LVIF_TEXT;
            it.iItem = i;
            it.pszText = const_cast<wchar_t*>(rows[i][0]);
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
            it.iSubItem = 1;
            it.pszText = const_cast<wchar_t*>(rows[i][1]);
            SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&it));
        }
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->idFrom == KF_TEST_OPTIONS && hdr->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
                st->notices.push_back("row " + std::to_string(change->iItem) + " selected");
        }
        if (hdr->idFrom == KF_TEST_TREE && hdr->code == NM_CLICK) {
            // Where the click was, as a plug-in finds out: the message position.
            DWORD pos = GetMessagePos();
            TVHITTESTINFO ht{};
            ht.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
            ScreenToClient(hdr->hwndFrom, &ht.pt);
            TreeView_HitTest(hdr->hwndFrom, &ht);
            if (ht.hItem && (ht.flags & TVHT_ONITEMSTATEICON))
                st->notices.push_back("click on the check box of " +
                                      QuoteText(ItemText(hdr->hwndFrom, ht.hItem)));
            else
                st->notices.push_back("click elsewhere");
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case KF_TEST_MODE:
            if (HIWORD(wp) == CBN_SELCHANGE)
                st->notices.push_back("mode changed");
            return TRUE;
        case KF_TEST_LIBRARIES:
            if (HIWORD(wp) == LBN_SELCHANGE)
                st->notices.push_back("library changed");
            return TRUE;
        case KF_TEST_NAME:
            if (HIWORD(wp) == EN_CHANGE)
                st->notices.push_back("name changed");
            return TRUE;
        case KF_TEST_MORE:
            DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KF_TEST_DETAILS), dlg,
                            Details, reinterpret_cast<LPARAM>(st));
            return TRUE;
        case IDOK: {
            auto& t = *st->transcript;
            HWND tree = GetDlgItem(dlg, KF_TEST_TREE);
            std::u16string checked;
            Checked(tree, TreeView_GetRoot(tree), u"", checked);
            int lib =
                static_cast<int>(SendDlgItemMessageW(dlg, KF_TEST_LIBRARIES, LB_GETCURSEL, 0, 0));
            wchar_t library[64] = {};
            if (lib >= 0)
                SendDlgItemMessageW(dlg, KF_TEST_LIBRARIES, LB_GETTEXT, lib,
                                    reinterpret_cast<LPARAM>(library));
            for (const auto& n : st->notices)
                t.Add("test", n);
            t.Add("test", "OK name=" + QuoteText(Text(GetDlgItem(dlg, KF_TEST_NAME))) +
                              " mode=" + QuoteText(Text(GetDlgItem(dlg, KF_TEST_MODE))) +
                              " library=" + QuoteText(U(library)) +
                              " backup=" + (IsDlgButtonChecked(dlg, KF_TEST_BACKUP) ? "1" : "0"));
            t.Add("test", "checked " + QuoteText(checked) + " details " + QuoteText(st->details));
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            st->transcript->Add("test", "Cancel");
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::int32_t TestDialogPlugin::InvokeCommand(std::int32_t id, const std::u16string&) {
    if (id != 1)
        return kNotImpl;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    State st{&transcript_, {}, {}};
    auto r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KF_TEST_DIALOG), nullptr,
                             Main, reinterpret_cast<LPARAM>(&st));
    return r == IDOK ? 0 : 1;
}

} // namespace kf::kfhost
