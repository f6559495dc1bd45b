// Windows: message box results and buttons, window messages from other threads,
// window init/size notifications, menus, tray and the file dialogs.
#include "UiTestUtil.h"

#include "platform/Debug.h"
#include "platform/Event.h"

#include <QFileDialog>
#include <QTest>
#include <atomic>
#include <thread>

using namespace ui;

namespace {

struct SkinFixture : ::testing::Test {
    void SetUp() override {
        uitest::SetSkinToRepo();
        auto& rm = CResourceManager::GetInstance();
        ASSERT_TRUE(rm.LoadResource("res.xml"));
        ASSERT_TRUE(rm.LoadLanguage("lan_en.xml"));
    }
    void TearDown() override {
        WindowImplBase::SetModalHook(nullptr);
        CPaintManagerUI::SetAllDPI(96);
    }
};

struct BoxView {
    bool confirmVisible = false, cancelVisible = false;
};

} // namespace

TEST_F(SkinFixture, MessageBoxReturnsOneForConfirmZeroOtherwise) {
    struct Case {
        const char* button;
        int buttons;
        int expected;
    };
    const Case cases[] = {{"confirm_btn", 1, 1}, {"cancel_btn", 1, 0}, {"closebtn", 1, 0}, {"closebtn", 0, 0},
                          {"", 1, 0}};
    for (const Case& c : cases) {
        BoxView seen;
        WindowImplBase::SetModalHook([&, c](WindowImplBase* w) {
            CPaintManagerUI& pm = w->GetPaintManager();
            seen.confirmVisible = pm.FindControl("confirm_btn")->IsVisible();
            seen.cancelVisible = pm.FindControl("cancel_btn")->IsVisible();
            CControlUI* b = *c.button ? pm.FindControl(c.button) : nullptr;
            if (b) QTest::mouseClick(b->GetWidget(), Qt::LeftButton, {}, b->GetWidget()->rect().center());
            else w->Close(0);
        });
        EXPECT_EQ(ShowMessageBox(nullptr, "T", "message_text_22", 96, true, c.buttons), c.expected) << c.button;
        EXPECT_TRUE(seen.confirmVisible);
        EXPECT_EQ(seen.cancelVisible, c.buttons == 1) << c.button;
    }
}

TEST_F(SkinFixture, MessageBoxTextIsKeyOrLiteral) {
    std::string title, text;
    WindowImplBase::SetModalHook([&](WindowImplBase* w) {
        title = w->GetPaintManager().FindControl("MessageTitle")->GetText();
        text = w->GetPaintManager().FindControl("MessageText")->GetText();
        w->Close(0);
    });
    ShowMessageBox(nullptr, "Zandri", "message_text_22", 96, true, 1);
    EXPECT_EQ(title, "Zandri");
    EXPECT_EQ(text, CResourceManager::GetInstance().GetText("message_text_22"));
    EXPECT_NE(text, "message_text_22");

    ShowMessageBox(nullptr, "", "message_text_22", 96, false, 1);
    EXPECT_EQ(text, "message_text_22");
    EXPECT_EQ(title, "Zandri Gaming Mouse"); // empty title keeps the layout's own
}

TEST_F(SkinFixture, MessageBoxDpiFallsBackAndStaysFrameworkWide) {
    WindowImplBase::SetModalHook([](WindowImplBase* w) { w->Close(1); });
    platform::DebugCapture cap;
    EXPECT_EQ(ShowMessageBox(nullptr, "", "x", 100, false, 0), 1);
    EXPECT_TRUE(cap.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(CPaintManagerUI::GetDPI(), 96);
    cap.Clear();
    ShowMessageBox(nullptr, "", "x", 144, false, 0);
    EXPECT_FALSE(cap.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(CPaintManagerUI::GetDPI(), 144);
}

namespace {

class TestWnd : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "TestWnd"; }
    std::string GetSkinFile() override {
        return R"(<Window size="300,200"><VerticalLayout name="root"><Button name="b" height="30"/></VerticalLayout></Window>)";
    }
    std::vector<std::string> notes;
    std::vector<unsigned> messages;
    std::vector<intptr_t> lparams;
    std::atomic<bool> handling{false};
    bool finalCalled = false;
    bool vetoClose = false;
    std::thread::id handledOn;
    void Notify(TNotifyUI& msg) override {
        notes.push_back(msg.sType);
        WindowImplBase::Notify(msg);
    }
    intptr_t HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, bool& handled) override {
        messages.push_back(msg);
        lparams.push_back(lParam);
        if (msg == kWmClose && vetoClose) handled = true;
        if (msg == kWmMenuClick) CPaintManagerUI::DeletePtr(reinterpret_cast<MenuCmd*>(wParam));
        if (msg >= 3000) {
            handledOn = std::this_thread::get_id();
            handled = true;
            return static_cast<intptr_t>(wParam * 2);
        }
        return 0;
    }
    void OnFinalMessage() override { finalCalled = true; }
};

} // namespace

TEST_F(SkinFixture, WindowRaisesInitAndSize) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    EXPECT_EQ(w.GetHWND()->size(), QSize(300, 200));
    uitest::Pump();
    ASSERT_FALSE(w.notes.empty());
    EXPECT_EQ(w.notes.front(), "windowinit");
    w.ShowWindow(true);
    w.ResizeClient(320, 240);
    uitest::Pump();
    EXPECT_NE(std::find(w.notes.begin(), w.notes.end(), "windowsize"), w.notes.end());
    EXPECT_EQ(w.GetPaintManager().FindControl("root")->GetRelativePos().Width(), 320);
}

TEST_F(SkinFixture, SendFromWorkerBlocksUntilHandledOnUiThread) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    std::atomic<intptr_t> result{-1};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        result = w.SendMessage(3090, 21, 0);
        returned = true;
    });
    // Nothing runs the UI loop yet: the worker must still be waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load());
    while (!returned) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(w.handledOn, std::this_thread::get_id());

    // Post is queued (returns at once) and arrives in order; a send on the UI thread is direct.
    w.messages.clear();
    std::thread poster([&] {
        w.PostMessage(3091, 1, 0);
        w.PostMessage(3092, 2, 0);
    });
    poster.join();
    EXPECT_TRUE(w.messages.empty());
    uitest::Pump();
    EXPECT_EQ(w.messages, (std::vector<unsigned>{3091, 3092}));
    EXPECT_EQ(w.SendMessage(3093, 5, 0), 10);
}

TEST_F(SkinFixture, SendGivesUpWhenItsWorkerIsStopped) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    platform::Event stop(true, false);
    bool delivered = true;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        w.SendMessage(3095, 1, 0, &stop, &delivered);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    // The UI thread is busy stopping this worker: the send must not wait for it.
    stop.Set();
    worker.join();
    EXPECT_FALSE(delivered);
    uitest::Pump();
    EXPECT_EQ(std::find(w.messages.begin(), w.messages.end(), 3095u), w.messages.end());

    // Without a stop the same call is delivered.
    stop.Reset();
    intptr_t r = 0;
    std::atomic<bool> done{false};
    std::thread worker2([&] {
        r = w.SendMessage(3096, 4, 0, &stop, &delivered);
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker2.join();
    EXPECT_EQ(r, 8);
    EXPECT_TRUE(delivered);
}

TEST_F(SkinFixture, CloseCanBeRefusedThenDestroys) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    w.vetoClose = true;
    w.Close(0);
    uitest::Pump();
    EXPECT_TRUE(w.IsWindow());
    w.vetoClose = false;
    w.Close(0);
    uitest::Pump();
    EXPECT_FALSE(w.IsWindow());
    EXPECT_TRUE(w.finalCalled);
    EXPECT_NE(std::find(w.messages.begin(), w.messages.end(), kWmDestroy), w.messages.end());
}

TEST_F(SkinFixture, MenuClickArrivesAs1145WithItemName) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    CMenuWnd* menu = CMenuWnd::CreateMenu("menu.xml", QPoint(10, 10), &w);
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->ClickItem("no_such_item"));
    w.messages.clear();
    ASSERT_TRUE(menu->ClickItem("exit"));
    uitest::Pump();
    ASSERT_EQ(w.messages, std::vector<unsigned>{kWmMenuClick});
    delete menu;
}

namespace {
class MenuWnd : public TestWnd {
public:
    std::string got;
    std::string text;
    intptr_t HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t l, bool& handled) override {
        if (msg == kWmMenuClick) {
            auto* cmd = reinterpret_cast<MenuCmd*>(wParam);
            got = cmd->szName;
            text = cmd->szText;
            CPaintManagerUI::DeletePtr(cmd);
            handled = true;
            return 0;
        }
        return TestWnd::HandleCustomMessage(msg, wParam, l, handled);
    }
};
} // namespace

TEST_F(SkinFixture, MenuRecordCarriesNameAndLanguageText) {
    MenuWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    CMenuWnd* menu = CMenuWnd::CreateMenu("menu.xml", QPoint(0, 0), &w);
    ASSERT_TRUE(menu->ClickItem("exit"));
    uitest::Pump();
    EXPECT_EQ(w.got, "exit");
    EXPECT_EQ(w.text, "Exit");
    delete menu;
}

TEST_F(SkinFixture, TrayPostsCallbackWithButton) {
    TestWnd w;
    ASSERT_TRUE(w.Create(nullptr, "test"));
    CTrayIcon tray;
    tray.CreateTrayIcon(&w, "icon/app.png", "Zandri Gaming Mouse");
    EXPECT_TRUE(tray.IsCreated());
    w.messages.clear();
    w.lparams.clear();
    tray.SimulateClick(false);
    tray.SimulateClick(true);
    uitest::Pump();
    EXPECT_EQ(w.messages, (std::vector<unsigned>{kWmTrayCallback, kWmTrayCallback}));
    EXPECT_EQ(w.lparams, (std::vector<intptr_t>{514, 517}));
    // The offscreen desktop has no tray: the program must know it cannot hide to one.
    EXPECT_FALSE(CTrayIcon::IsSystemTrayAvailable());
    EXPECT_FALSE(tray.CanHideToTray());
}

TEST(FileDialogs, FiltersAndSaveAcceptsNewNamesWithOverwritePrompt) {
    EXPECT_EQ(ToQtFilter(kProfileFileFilter), "Profile Files (*.json)");
    EXPECT_EQ(ToQtFilter(kMacroFileFilter), "Macro Files (*.mac)");
    EXPECT_EQ(ToQtFilter({{"Images(*.png)", "*.png;*.jpg;"}, {"All", "*.*"}}), "Images (*.png *.jpg);;All (*.*)");

    QFileDialog save;
    ConfigureFileDialog(save, FileDialogKind::Save, kProfileFileFilter);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.fileMode(), QFileDialog::AnyFile); // a file that does not exist yet is fine
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save.defaultSuffix().toStdString(), "json");
    QFileDialog open;
    ConfigureFileDialog(open, FileDialogKind::Open, kMacroFileFilter);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.nameFilters().join(";;").toStdString(), "Macro Files (*.mac)");
}

TEST(FileDialogs, HookAnswersWithoutAPerson) {
    std::vector<FileDialogRequest> seen;
    SetFileDialogHook([&](const FileDialogRequest& r) -> std::optional<std::string> {
        seen.push_back(r);
        if (r.kind == FileDialogKind::Save) return std::string("/tmp/new.json");
        return std::nullopt;
    });
    EXPECT_EQ(SaveFileDialog(kProfileFileFilter, nullptr), std::optional<std::string>("/tmp/new.json"));
    EXPECT_EQ(OpenFileDialog(kMacroFileFilter, nullptr), std::nullopt);
    SetFileDialogHook(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].qtFilter, "Macro Files (*.mac)");
}
