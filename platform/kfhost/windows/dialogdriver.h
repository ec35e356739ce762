// Plays dialog steps against the real modal dialogs of the host's thread. A thread timer
// fires inside whatever modal loop the plug-in runs (dialog boxes, message boxes, property
// sheets), so every step acts on the user-interface thread, as a user's input would.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <map>
#include <string>

#include "kf/kfhost/runner.h"
#include "kf/pluginhost/services.h"

namespace kf::kfhost {

class WindowsDialogDriver final : public DialogDriver {
public:
    // `timeoutMs`: how long a wait, a step on a busy dialog or an unattended dialog may take.
    explicit WindowsDialogDriver(pluginhost::Transcript& transcript, DWORD timeoutMs = 10000);
    ~WindowsDialogDriver() override;
    WindowsDialogDriver(const WindowsDialogDriver&) = delete;
    WindowsDialogDriver& operator=(const WindowsDialogDriver&) = delete;

    void Begin(std::deque<Step>& queue, const std::string& file) override;
    int End() override;

private:
    enum class Outcome { Done, Posted, Retry, Failed };
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    Outcome Play(const Step& step, HWND active);
    Outcome Set(const Step& step, HWND control);
    Outcome Choose(const Step& step, HWND control);
    Outcome Check(const Step& step, HWND control);
    Outcome Press(const Step& step);
    Outcome VerifyClick();
    void Record(HWND dialog);
    void Fail(const Step& step, const std::string& why);
    void Dismiss(HWND dialog, const std::string& why);
    void NoteShown(HWND active);
    DWORD Timeout(const Step& step) const;

    pluginhost::Transcript& transcript_;
    DWORD timeoutMs_;
    std::deque<Step>* queue_ = nullptr;
    std::string file_;
    UINT_PTR timer_ = 0;
    int failures_ = 0;
    bool inTick_ = false;

    HWND current_ = nullptr; // the dialog the steps since the last wait act on
    std::u16string currentTitle_;
    DWORD stepSince_ = 0; // when the front step was first tried
    bool stepStarted_ = false;
    std::string retryWhy_;      // why the front step is still waiting
    HWND unattended_ = nullptr; // an active dialog with no step for it, since `idleSince_`
    DWORD idleSince_ = 0;
    std::map<HWND, DWORD> dismissed_;     // dialogs sent Cancel, and when
    std::map<HWND, std::u16string> seen_; // dialogs already in the transcript, by title

    struct Click {
        bool pending = false;
        HWND tree = nullptr;
        HTREEITEM item = nullptr;
        UINT want = 0; // state image: 1 unchecked, 2 checked
        Step step;
        DWORD since = 0;
    } click_;
};

} // namespace kf::kfhost
