// Notifications from user input (type, sender, parameters), silence of programmatic
// setters, option groups with tab binding, and control timers.
#include "UiTestUtil.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTextEdit>

using namespace ui;
using uitest::Tree;

namespace {

const char* kPanel = R"(<VerticalLayout name="root">
  <HorizontalLayout height="30">
    <Button name="btn" text="go"/>
    <Option name="opt_a" group="tabs" bindtabindex="0" bindtablayoutname="pages" selected="true"/>
    <Option name="opt_b" group="tabs" bindtabindex="1" bindtablayoutname="pages"/>
    <Option name="opt_c" group="tabs" bindtabindex="2" bindtablayoutname="pages"/>
    <CheckBox name="chk"/>
  </HorizontalLayout>
  <TabLayout name="pages" height="20"><Control name="page0"/><Control name="page1"/><Control name="page2"/></TabLayout>
  <Slider name="sl" height="20" min="0" max="100" value="0"/>
  <Combo name="cmb" height="24"><ListLabelElement text="zero"/><ListLabelElement text="one"/><ListLabelElement text="two"/></Combo>
  <List name="lst" height="90"><ListLabelElement name="row0" text="r0"/><ListLabelElement name="row1" text="r1"/></List>
  <Edit name="ed" height="24"/>
  <RichEdit name="re" height="40"/>
  <ColorPalette name="pal" height="60"/>
</VerticalLayout>)";

QPoint Centre(CControlUI* c) { return c->GetWidget()->rect().center(); }

} // namespace

TEST(Notify, ClicksAndOptionsRaiseWithSender) {
    Tree t(kPanel, nullptr, 500, 400);
    QTest::mouseClick(t.Find("btn")->GetWidget(), Qt::LeftButton, {}, Centre(t.Find("btn")));
    ASSERT_EQ(t.rec.Types(), std::vector<std::string>{"click"});
    EXPECT_EQ(t.rec.msgs[0].pSender, t.Find("btn"));

    t.rec.msgs.clear();
    QTest::mouseClick(t.Find("opt_b")->GetWidget(), Qt::LeftButton, {}, Centre(t.Find("opt_b")));
    // The click, the option that lost the selection, then the one that gained it.
    ASSERT_EQ(t.rec.Types(), (std::vector<std::string>{"click", "selectchanged", "selectchanged"}));
    EXPECT_EQ(t.rec.msgs[1].pSender, t.Find("opt_a"));
    EXPECT_EQ(t.rec.msgs[2].pSender, t.Find("opt_b"));

    t.rec.msgs.clear();
    QTest::mouseClick(t.Find("chk")->GetWidget(), Qt::LeftButton, {}, Centre(t.Find("chk")));
    EXPECT_TRUE(t.Find<CCheckBoxUI>("chk")->GetCheck());
    EXPECT_EQ(t.rec.Count("selectchanged"), 1u);
}

TEST(Notify, DisabledButtonRaisesNothing) {
    Tree t(kPanel, nullptr, 500, 400);
    t.Find("btn")->SetEnabled(false);
    QTest::mouseClick(t.Find("btn")->GetWidget(), Qt::LeftButton, {}, Centre(t.Find("btn")));
    EXPECT_TRUE(t.rec.msgs.empty());
}

TEST(Notify, OptionGroupKeepsOneSelectedAndSwitchesBoundTab) {
    Tree t(kPanel, nullptr, 500, 400);
    auto* a = t.Find<COptionUI>("opt_a");
    auto* b = t.Find<COptionUI>("opt_b");
    auto* c = t.Find<COptionUI>("opt_c");
    auto* pages = t.Find<CTabLayoutUI>("pages");
    EXPECT_EQ(pages->GetCurSel(), 0);

    c->Selected(true);
    EXPECT_TRUE(c->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(pages->GetCurSel(), 2);
    EXPECT_TRUE(t.rec.msgs.empty()); // programmatic: silent

    // Clicking the selected member of a group keeps it selected.
    QTest::mouseClick(c->GetWidget(), Qt::LeftButton, {}, Centre(c));
    EXPECT_TRUE(c->IsSelected());
    EXPECT_EQ(t.rec.Count("selectchanged"), 0u);

    b->Selected(true, true); // "with notification"
    EXPECT_EQ(pages->GetCurSel(), 1);
    EXPECT_EQ(t.rec.Count("selectchanged"), 2u);
    int selected = 0;
    for (auto* o : {a, b, c}) selected += o->IsSelected();
    EXPECT_EQ(selected, 1);
}

TEST(Notify, SliderMovesWhileDraggingAndReportsOnRelease) {
    Tree t(kPanel, nullptr, 500, 400);
    auto* sl = t.Find<CSliderUI>("sl");
    auto* qs = static_cast<QSlider*>(sl->GetWidget());
    qs->setSliderDown(true);
    qs->setSliderPosition(40);
    qs->setSliderPosition(55);
    ASSERT_EQ(t.rec.Types(), (std::vector<std::string>{"movevaluechanged", "movevaluechanged"}));
    EXPECT_EQ(sl->GetValue(), 55);
    qs->setSliderDown(false);
    EXPECT_EQ(t.rec.msgs.back().sType, "valuechanged");
    EXPECT_EQ(t.rec.msgs.back().pSender, sl);

    t.rec.msgs.clear();
    QTest::keyClick(qs, Qt::Key_Right); // keyboard step: a finished change
    EXPECT_EQ(t.rec.Types(), std::vector<std::string>{"valuechanged"});
    EXPECT_EQ(sl->GetValue(), 56);
}

TEST(Notify, ComboAndListSelections) {
    Tree t(kPanel, nullptr, 500, 400);
    auto* cmb = t.Find<CComboUI>("cmb");
    auto* box = static_cast<QComboBox*>(cmb->GetWidget());
    cmb->SelectItem(0);
    EXPECT_TRUE(t.rec.msgs.empty());
    emit box->activated(2); // what a user's pick does
    ASSERT_EQ(t.rec.Types(), std::vector<std::string>{"itemselect"});
    EXPECT_EQ(t.rec.msgs[0].pSender, cmb);
    EXPECT_EQ(t.rec.msgs[0].wParam, 2u);
    EXPECT_EQ(t.rec.msgs[0].lParam, 0);
    EXPECT_EQ(cmb->GetCurSel(), 2);
    EXPECT_EQ(cmb->GetText(), "two");

    t.rec.msgs.clear();
    auto* row1 = t.Find("row1");
    QTest::mouseClick(row1->GetWidget(), Qt::LeftButton, {}, Centre(row1));
    ASSERT_EQ(t.rec.Types(), (std::vector<std::string>{"itemclick", "itemselect"}));
    EXPECT_EQ(t.rec.msgs[0].pSender, row1);
    EXPECT_EQ(t.rec.msgs[1].pSender, t.Find("lst"));
    EXPECT_EQ(t.rec.msgs[1].wParam, 1u);
    EXPECT_EQ(t.rec.msgs[1].lParam, -1);
    QTest::mouseDClick(row1->GetWidget(), Qt::LeftButton, {}, Centre(row1));
    EXPECT_EQ(t.rec.msgs.back().sType, "itemactivate");
    EXPECT_EQ(t.rec.msgs.back().pSender, row1);

    t.rec.msgs.clear();
    t.Find<CListUI>("lst")->SelectItem(0);
    EXPECT_TRUE(t.rec.msgs.empty());
    EXPECT_EQ(t.Find<CListUI>("lst")->GetCurSel(), 0);
}

TEST(Notify, EditsReportTypingFocusAndReturnButNotSetText) {
    Tree t(kPanel, nullptr, 500, 400);
    t.host.activateWindow();
    auto* ed = t.Find<CEditUI>("ed");
    ed->SetText("abc");
    static_cast<CRichEditUI*>(t.Find("re"))->SetText("x\ny");
    EXPECT_TRUE(t.rec.msgs.empty());
    EXPECT_EQ(t.Find("re")->GetText(), "x\ny");

    auto* line = static_cast<QLineEdit*>(ed->GetWidget());
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(line, &in);
    QTest::keyClicks(line, "d");
    QTest::keyClick(line, Qt::Key_Return);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(line, &out);
    EXPECT_EQ(t.rec.Types(), (std::vector<std::string>{"setfocus", "textchanged", "return", "killfocus"}));
    EXPECT_EQ(ed->GetText(), "abcd");
    for (auto& m : t.rec.msgs) EXPECT_EQ(m.pSender, ed);

    t.rec.msgs.clear();
    QTest::keyClicks(static_cast<QTextEdit*>(t.Find("re")->GetWidget()), "z");
    EXPECT_EQ(t.rec.Count("textchanged"), 1u);
}

TEST(Notify, PaletteReportsPickedColour) {
    Tree t(kPanel, nullptr, 500, 400);
    auto* pal = t.Find<CColorPaletteUI>("pal");
    pal->SetSelectColor(0xFF00FF00);
    EXPECT_TRUE(t.rec.msgs.empty());
    EXPECT_EQ(pal->GetSelectColor(), 0xFF00FF00u);
    QWidget* w = pal->GetWidget();
    // Top-right corner of the field: full saturation and brightness of the current hue.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() - 1, 0));
    ASSERT_EQ(t.rec.Types(), std::vector<std::string>{"colorchanged"});
    EXPECT_EQ(t.rec.msgs[0].pSender, pal);
    EXPECT_EQ(t.rec.msgs[0].wParam, pal->GetSelectColor());
    EXPECT_EQ(pal->GetSelectColor(), 0xFF00FF00u);
    // Bottom-left corner: black.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(0, w->height() - 17));
    EXPECT_EQ(pal->GetSelectColor() & 0x00FFFFFFu, 0u);
}

TEST(Notify, ProgrammaticSettersRaiseNothing) {
    Tree t(kPanel, nullptr, 500, 400);
    uitest::Pump(); // window activation may focus the edit: that is not a setter
    t.rec.msgs.clear();
    t.Find<CSliderUI>("sl")->SetValue(77);
    t.Find<CComboUI>("cmb")->SelectItem(1);
    t.Find<CCheckBoxUI>("chk")->SetCheck(true);
    t.Find<CTabLayoutUI>("pages")->SelectItem(2);
    t.Find("btn")->SetText("new");
    t.Find("btn")->SetEnabled(false);
    t.Find("page0")->SetVisible(false);
    uitest::Pump();
    // Focus moves made by the window system (activation, a disabled focus widget) aside.
    std::vector<std::string> raised;
    for (auto& m : t.rec.msgs)
        if (m.sType != "setfocus" && m.sType != "killfocus") raised.push_back(m.sType);
    EXPECT_TRUE(raised.empty()) << raised.front();
    EXPECT_EQ(static_cast<QSlider*>(t.Find("sl")->GetWidget())->value(), 77);
}

namespace {
class TickControl : public CControlUI {
public:
    std::vector<uintptr_t> ticks;
    bool killOnFirst = false;
    void DoEvent(TEventUI& e) override {
        if (e.Type == UIEvent::Timer) {
            ticks.push_back(e.wParam);
            if (killOnFirst) GetManager()->KillTimer(this, static_cast<unsigned>(e.wParam));
        }
        CControlUI::DoEvent(e);
    }
};
} // namespace

TEST(Timers, ReachDoEventAndOneShotKillWorks) {
    Tree t("<VerticalLayout name=\"root\"/>");
    auto* box = static_cast<CContainerUI*>(t.root);
    auto* repeat = new TickControl;
    auto* once = new TickControl;
    once->killOnFirst = true;
    box->Add(repeat);
    box->Add(once);
    ASSERT_TRUE(t.pm.SetTimer(repeat, 7, 5));
    ASSERT_TRUE(t.pm.SetTimer(once, 9, 5));
    QTest::qWait(80);
    EXPECT_GE(repeat->ticks.size(), 3u);
    for (auto id : repeat->ticks) EXPECT_EQ(id, 7u);
    EXPECT_EQ(once->ticks, std::vector<uintptr_t>{9});
    EXPECT_FALSE(t.pm.HasTimer(once, 9));
    // Base DoEvent turns a tick into a "timer" notification with the id.
    ASSERT_NE(t.rec.Last("timer"), nullptr);
    EXPECT_EQ(t.rec.Last("timer")->pSender, repeat);

    // A removed control's timers die with it.
    box->Remove(repeat);
    EXPECT_FALSE(t.pm.HasTimer(repeat, 7));
    ui::FlushDeferredDeletes();
    QTest::qWait(20);
}
