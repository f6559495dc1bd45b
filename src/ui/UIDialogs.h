#pragma once
// The skinned message box and the system file dialogs. Tests answer both without a
// person: WindowImplBase::SetModalHook sees the shown box, SetFileDialogHook answers
// file dialogs.
#include "ui/UIWindow.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;

namespace ui {

class CMsgWnd : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() override { return "XML_MSG"; }
    int GetDPI() const { return m_dpi; }
    void SetDPI(int dpi) { m_dpi = dpi; }

protected:
    void InitWindow() override;
    void OnFinalMessage() override;
    void OnClick(TNotifyUI& msg) override;
    bool CloseOnEscape() const override { return true; }
    intptr_t HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, bool& handled) override;

private:
    CControlUI* m_closeBtn = nullptr;
    int m_dpi = 96;
};

// Shows the box modally: 1 for "confirm_btn", 0 for "cancel_btn", "closebtn" or a close.
// buttons: 0 = confirm only, 1 = confirm and cancel, other = as the layout has them.
// textIsKey: the text is a language key shown through the current language.
int ShowMessageBox(WindowImplBase* parent, const std::string& title, const std::string& text, int dpi,
                   bool textIsKey, int buttons);

struct FileFilter {
    std::string name;    // "Profile Files(*.json)"
    std::string pattern; // "*.json;"
};
inline const std::vector<FileFilter> kProfileFileFilter{{"Profile Files(*.json)", "*.json;"}};
inline const std::vector<FileFilter> kMacroFileFilter{{"Macro Files(*.mac)", "*.mac;"}};

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::vector<FileFilter> filters;
    std::string qtFilter; // the filter as the Qt dialog shows it
};

// The chosen path, or nothing on cancel. Open requires an existing file; save accepts
// a new name, adds the filter's extension when none is typed and asks before
// overwriting an existing file.
std::optional<std::string> OpenFileDialog(const std::vector<FileFilter>& filters, WindowImplBase* owner);
std::optional<std::string> SaveFileDialog(const std::vector<FileFilter>& filters, WindowImplBase* owner);

// "Profile Files (*.json)" from {"Profile Files(*.json)", "*.json;"}.
std::string ToQtFilter(const std::vector<FileFilter>& filters);
// Sets up a dialog the way the two functions above use it.
void ConfigureFileDialog(QFileDialog& dialog, FileDialogKind kind, const std::vector<FileFilter>& filters);

// Test seam: when set, it answers file dialogs instead of the system dialog.
void SetFileDialogHook(std::function<std::optional<std::string>(const FileDialogRequest&)> hook);

} // namespace ui
