#include "ui/UIDialogs.h"

#include "platform/Debug.h"
#include "ui/UICommonControls.h"

#include <QDialog>
#include <QFileDialog>
#include <algorithm>

namespace ui {

// ---------------------------------------------------------------- message box
void CMsgWnd::InitWindow() { m_closeBtn = m_pm.FindControl("closebtn"); }

void CMsgWnd::OnFinalMessage() { delete this; }

void CMsgWnd::OnClick(TNotifyUI& msg) {
    if (msg.pSender && msg.pSender == m_closeBtn) {
        Close(0);
        return;
    }
    const std::string& name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (EqualsNoCase(name, "confirm_btn")) Close(1);
    else if (EqualsNoCase(name, "cancel_btn")) Close(0);
}

intptr_t CMsgWnd::HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t, bool& handled) {
    constexpr unsigned kWmDpiChanged = 0x02E0;
    if (msg == kWmDpiChanged) {
        // The message stays unhandled so the framework's own handling still runs.
        m_dpi = static_cast<int>(wParam & 0xFFFF);
        m_pm.SetDPI(m_dpi);
        m_pm.ResetDPIAssets();
        m_pm.DoLayout();
    }
    handled = false;
    return 0;
}

int ShowMessageBox(WindowImplBase* parent, const std::string& title, const std::string& text, int dpi,
                   bool textIsKey, int buttons) {
    auto* box = new CMsgWnd;
    if (!box->Create(parent, "msgwnd")) {
        delete box;
        return 0;
    }
    CPaintManagerUI& pm = box->GetPaintManager();
    if (!title.empty())
        if (CControlUI* t = pm.FindControl("MessageTitle")) t->SetText(title);
    if (!text.empty()) {
        if (CControlUI* t = pm.FindControl("MessageText")) {
            t->SetResourceText(textIsKey);
            t->SetText(text);
        }
    }
    static constexpr int kAccepted[] = {48, 72, 96, 120, 144, 168, 192};
    if (std::find(std::begin(kAccepted), std::end(kAccepted), dpi) == std::end(kAccepted)) {
        platform::DebugOut("MSG_WND DPI SET ERROR");
        dpi = 96;
    }
    if (dpi != box->GetDPI()) {
        // Framework-wide: the new DPI stays in effect after the box closes.
        box->SetDPI(dpi);
        CPaintManagerUI::SetAllDPI(dpi);
        const UISize init = pm.GetInitSize();
        const double s = CPaintManagerUI::GetDPIScale();
        if (init.cx > 0 && init.cy > 0) box->ResizeClient(int(init.cx * s), int(init.cy * s));
    }
    CControlUI* confirm = pm.FindControl("confirm_btn");
    CControlUI* cancel = pm.FindControl("cancel_btn");
    if (buttons == 0) {
        if (confirm) confirm->SetVisible(true);
        if (cancel) cancel->SetVisible(false);
    } else if (buttons == 1) {
        if (confirm) confirm->SetVisible(true);
        if (cancel) cancel->SetVisible(true);
    }
    box->CenterWindow();
    return box->ShowModal(); // the box deletes itself when it closes
}

// ---------------------------------------------------------------- file dialogs
namespace {
std::function<std::optional<std::string>(const FileDialogRequest&)>& FileHook() {
    static std::function<std::optional<std::string>(const FileDialogRequest&)> hook;
    return hook;
}
} // namespace

void SetFileDialogHook(std::function<std::optional<std::string>(const FileDialogRequest&)> hook) {
    FileHook() = std::move(hook);
}

std::string ToQtFilter(const std::vector<FileFilter>& filters) {
    std::string out;
    for (const FileFilter& f : filters) {
        std::string name = f.name;
        if (const size_t paren = name.find('('); paren != std::string::npos) name = name.substr(0, paren);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        std::string patterns;
        size_t start = 0;
        while (start < f.pattern.size()) {
            size_t semi = f.pattern.find(';', start);
            if (semi == std::string::npos) semi = f.pattern.size();
            const std::string p = f.pattern.substr(start, semi - start);
            if (!p.empty()) patterns += (patterns.empty() ? "" : " ") + p;
            start = semi + 1;
        }
        if (!out.empty()) out += ";;";
        out += name + " (" + patterns + ")";
    }
    return out;
}

void ConfigureFileDialog(QFileDialog& dialog, FileDialogKind kind, const std::vector<FileFilter>& filters) {
    dialog.setNameFilter(QString::fromStdString(ToQtFilter(filters)));
    dialog.setWindowTitle(QString());
    dialog.setDirectory(QString());
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // A new file name is accepted; an existing one is confirmed first.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (!filters.empty()) {
            const std::string& p = filters.front().pattern;
            const size_t dot = p.find("*.");
            if (dot != std::string::npos) {
                std::string ext = p.substr(dot + 2);
                ext = ext.substr(0, ext.find(';'));
                if (ext != "*") dialog.setDefaultSuffix(QString::fromStdString(ext));
            }
        }
    }
}

static std::optional<std::string> RunFileDialog(FileDialogKind kind, const std::vector<FileFilter>& filters,
                                                WindowImplBase* owner) {
    if (FileHook()) {
        FileDialogRequest req{kind, filters, ToQtFilter(filters)};
        return FileHook()(req);
    }
    QFileDialog dialog(owner ? owner->GetHWND() : nullptr);
    ConfigureFileDialog(dialog, kind, filters);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

std::optional<std::string> OpenFileDialog(const std::vector<FileFilter>& filters, WindowImplBase* owner) {
    return RunFileDialog(FileDialogKind::Open, filters, owner);
}

std::optional<std::string> SaveFileDialog(const std::vector<FileFilter>& filters, WindowImplBase* owner) {
    return RunFileDialog(FileDialogKind::Save, filters, owner);
}

} // namespace ui
