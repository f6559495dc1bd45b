#pragma once
// Helpers of the UI suite: a window-less tree host and a notification recorder.
#include "ui/UILib.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace uitest {

struct Recorder : ui::INotifyUI {
    std::vector<ui::TNotifyUI> msgs;
    void Notify(ui::TNotifyUI& msg) override { msgs.push_back(msg); }
    std::vector<std::string> Types() const {
        std::vector<std::string> t;
        for (auto& m : msgs) t.push_back(m.sType);
        return t;
    }
    // Notifications except the "timer" ticks of other controls.
    size_t Count(const std::string& type) const {
        size_t n = 0;
        for (auto& m : msgs) n += m.sType == type;
        return n;
    }
    const ui::TNotifyUI* Last(const std::string& type) const {
        for (auto it = msgs.rbegin(); it != msgs.rend(); ++it)
            if (it->sType == type) return &*it;
        return nullptr;
    }
};

// A tree built from XML text inside a plain widget, laid out at the given size.
struct Tree {
    QWidget host;
    ui::CPaintManagerUI pm;
    Recorder rec;
    ui::CControlUI* root = nullptr;

    explicit Tree(const std::string& xml, ui::IDialogBuilderCallback* cb = nullptr, int w = 400, int h = 300) {
        pm.Init(&host, "test");
        ui::CDialogBuilder b;
        root = b.Create(xml, {}, cb, &pm);
        if (root) pm.AttachDialog(root);
        pm.AddNotifier(&rec);
        host.resize(w, h);
        host.show();
        pm.DoLayout();
    }
    ~Tree() {
        pm.DetachRoot();
        delete root;
    }
    template <class T = ui::CControlUI>
    T* Find(const std::string& name) {
        return static_cast<T*>(pm.FindControl(name));
    }
};

inline void Pump(int times = 3) {
    for (int i = 0; i < times; ++i) QCoreApplication::processEvents();
}

inline void SetSkinToRepo() {
    const char* res = std::getenv("ZANDRI_RESOURCE_DIR");
    ui::CPaintManagerUI::SetResourcePath(std::string(res ? res : "resources") + "/skin/");
}

} // namespace uitest
