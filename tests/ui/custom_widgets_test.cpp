// The device panels' own controls: their rules, painting edge cases and notifications.
#include "UiTestUtil.h"

#include <QEnterEvent>
#include <QImage>
#include <QTest>

using namespace ui;
using uitest::Tree;

namespace {

struct Registered : ::testing::Test {
    void SetUp() override {
        uitest::SetSkinToRepo();
        RegisterCustomControls();
    }
};

QImage Render(CControlUI* c) {
    QImage img(c->GetWidget()->size(), QImage::Format_ARGB32);
    img.fill(Qt::black);
    c->GetWidget()->render(&img);
    return img;
}

} // namespace

TEST_F(Registered, CustomClassesAnswerTheirFactoryNames) {
    for (const char* tag : {"CircleProgress", "DeviceKeyButton", "HandImgButton", "HandImgSelectButton",
                            "RedioMacroButton", "SelectPanel", "ComboEditContainerElement", "ChartView", "Wnd",
                            "CloudShareListItemUI"}) {
        std::unique_ptr<CControlUI> c(CControlFactory::GetInstance().CreateControl(ToLower(tag)));
        ASSERT_NE(c, nullptr) << tag;
        EXPECT_EQ(c->GetClass(), tag);
        std::unique_ptr<CControlUI> direct(CreateCustomControl(tag));
        ASSERT_NE(direct, nullptr) << tag;
        EXPECT_EQ(direct->GetClass(), tag);
    }
}

TEST_F(Registered, RubberBandSelectsTouchedKeysAndReportsOnce) {
    Tree t(R"(<SelectPanel name="panel">
        <DeviceKeyButton name="key_0" float="true" pos="0,0,40,40"/>
        <DeviceKeyButton name="key_1" float="true" pos="40,0,80,40"/>
        <DeviceKeyButton name="key_2" float="true" pos="80,0,120,40"/>
        <Button name="not_a_key" float="true" pos="0,50,40,90"/>
      </SelectPanel>)",
           nullptr, 200, 100);
    auto* panel = t.Find<CSelectPanelUI>("panel");
    auto key = [&](int i) { return t.Find<CDeviceKeyButtonUI>("key_" + std::to_string(i)); };
    QWidget* w = panel->GetWidget();

    // A click without a drag: nothing selected, nothing raised.
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(150, 60));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_EQ(t.rec.Count("click_select_end"), 0u);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(key(i)->IsSelected());

    // A band from (150,60) to (79,39): shares pixel (79,39) with key_1, none with key_0.
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(150, 60));
    QTest::mouseMove(w, QPoint(100, 45));
    QMouseEvent move(QEvent::MouseMove, QPointF(79, 39), QPointF(79, 39), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &move);
    EXPECT_TRUE(panel->IsSelecting());
    EXPECT_EQ(panel->GetBandRect(), (UIRect{79, 39, 150, 60}));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(79, 39));
    EXPECT_FALSE(key(0)->IsSelected());
    EXPECT_TRUE(key(1)->IsSelected());
    EXPECT_TRUE(key(2)->IsSelected());
    ASSERT_EQ(t.rec.Count("click_select_end"), 1u);
    EXPECT_EQ(t.rec.Last("click_select_end")->pSender, panel);

    // A band ending just left of key_1 (x = 80 is key_2's first column) deselects key_1.
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(150, 60));
    QMouseEvent move2(QEvent::MouseMove, QPointF(80, 20), QPointF(80, 20), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &move2);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(80, 20));
    EXPECT_FALSE(key(1)->IsSelected());
    EXPECT_TRUE(key(2)->IsSelected());
    EXPECT_EQ(t.rec.Count("click_select_end"), 2u);
}

TEST_F(Registered, RubberBandMayStartOnAKey) {
    Tree t(R"(<SelectPanel name="panel">
        <DeviceKeyButton name="key_0" float="true" pos="0,0,40,40"/>
        <DeviceKeyButton name="key_1" float="true" pos="60,0,100,40"/>
      </SelectPanel>)",
           nullptr, 200, 100);
    QWidget* k0 = t.Find("key_0")->GetWidget();
    QTest::mousePress(k0, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 30), QPointF(70, 30), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(k0, &move);
    QTest::mouseRelease(k0, Qt::LeftButton, {}, QPoint(70, 30));
    EXPECT_TRUE(t.Find<CDeviceKeyButtonUI>("key_0")->IsSelected());
    EXPECT_TRUE(t.Find<CDeviceKeyButtonUI>("key_1")->IsSelected());
    EXPECT_EQ(t.rec.Count("click_select_end"), 1u);
}

TEST_F(Registered, CircleProgressSweepAndPainting) {
    EXPECT_DOUBLE_EQ(CCircleProgressUI::SweepDegrees(25, 0, 100), 90.0);
    EXPECT_DOUBLE_EQ(CCircleProgressUI::SweepDegrees(50, 50, 50), 0.0); // max == min: no division
    EXPECT_DOUBLE_EQ(CCircleProgressUI::SweepDegrees(5, 10, 0), 0.0);

    Tree t(R"(<VerticalLayout><CircleProgress name="ring" width="100" height="100" min="0" max="100" value="0"
               bkcolor="#FF202020" forecolor="#FFFF0000"/></VerticalLayout>)",
           nullptr, 100, 100);
    auto* ring = t.Find<CCircleProgressUI>("ring");
    auto colourAt = [&](int x, int y) { return Render(ring).pixel(x, y) & 0xFFFFFF; };
    // Value 0: only the background disc (ring area) and the white inner disc.
    EXPECT_EQ(colourAt(50, 95), 0x202020u); // bottom of the ring
    EXPECT_EQ(colourAt(50, 50), 0xFFFFFFu);
    // A quarter from the bottom, clockwise: the bottom-left part of the ring fills.
    ring->SetValue(25);
    EXPECT_EQ(colourAt(20, 80), 0xFF0000u);
    EXPECT_EQ(colourAt(80, 80), 0x202020u);
    EXPECT_EQ(colourAt(50, 50), 0xFFFFFFu);
    // max == min paints without the pie.
    ring->SetMaxValue(0);
    EXPECT_EQ(colourAt(20, 80), 0x202020u);
}

TEST_F(Registered, DeviceKeyButtonStateAndDoubleClick) {
    Tree t(R"(<VerticalLayout><DeviceKeyButton name="key_0" height="40" lightimage="key/light.png"
               keysetimage="key/keyset.png" gmnametextcolor="FF00FF"/></VerticalLayout>)");
    auto* k = t.Find<CDeviceKeyButtonUI>("key_0");
    EXPECT_TRUE(k->IsKeyImageHidden());
    EXPECT_FALSE(k->IsLightOverlayShown());
    const int before = k->GetInvalidateCount();
    k->SetKeyImageHidden(true); // same value: no repaint
    k->SetSelected(false);
    EXPECT_EQ(k->GetInvalidateCount(), before);
    k->SetKeyImageHidden(false);
    EXPECT_EQ(k->GetInvalidateCount(), before + 1);
    k->SetSelected(true);
    EXPECT_TRUE(k->IsSelected());

    QTest::mouseDClick(k->GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_NE(t.rec.Last("dbclick"), nullptr);
    EXPECT_EQ(t.rec.Last("dbclick")->pSender, k);
    t.rec.msgs.clear();
    k->SetEnabled(false);
    QTest::mouseDClick(k->GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(t.rec.Count("dbclick"), 0u);
}

TEST_F(Registered, DeviceKeyOverlayTakesTheLedColour) {
    Tree t(R"(<VerticalLayout><DeviceKeyButton name="k" width="40" height="40" lightimage="key/light.png"
               bkcolor="#FF0000FF"/></VerticalLayout>)",
           nullptr, 40, 40);
    auto* k = t.Find<CDeviceKeyButtonUI>("k");
    const QRgb plain = Render(k).pixel(20, 20);
    k->SetLightOverlay(true, 255, 255);
    const QRgb lit = Render(k).pixel(20, 20);
    EXPECT_EQ(plain & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(lit & 0xFFFFFF, 0x0000FFu); // fully tinted glyph in the key's colour
    k->SetLightOverlay(true, 255, 0);     // untinted: the white glyph shows
    EXPECT_GT(qRed(Render(k).pixel(20, 20)), 150);
}

TEST_F(Registered, HandImgButtonHoverAndClickOnRelease) {
    Tree t(R"(<VerticalLayout><HandImgButton name="h" height="40" handimage="key/light.png"/></VerticalLayout>)");
    auto* h = t.Find<CHandImgButtonUI>("h");
    QWidget* w = h->GetWidget();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(w, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    EXPECT_EQ(t.rec.Types(), (std::vector<std::string>{"msenter", "msleave"}));

    t.rec.msgs.clear();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(h->IsPushed());
    EXPECT_EQ(t.rec.Count("click"), 0u);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(t.rec.Types(), std::vector<std::string>{"click"});
    // Released outside: no click.
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(-5, 500));
    EXPECT_EQ(t.rec.Count("click"), 1u);
}

TEST_F(Registered, HandImgSelectButtonPansInsideTheImage) {
    // hand/hand.png is 480 x 300; the control shows 200 x 100 of it.
    Tree t(R"(<VerticalLayout><HandImgSelectButton name="p" width="200" height="100" handimage="hand/hand.png"
               cursor="hand"/></VerticalLayout>)",
           nullptr, 300, 200);
    auto* p = t.Find<CHandImgSelectButtonUI>("p");
    EXPECT_EQ(p->GetHandImageDesc(), "file='hand/hand.png' source='0,0,200,100'");
    EXPECT_EQ(p->GetWidget()->cursor().shape(), Qt::PointingHandCursor);
    QWidget* w = p->GetWidget();
    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QMouseEvent m(QEvent::MouseMove, QPointF(to), QPointF(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(w, &m);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    };
    drag({150, 80}, {100, 50}); // pointer left and up: the view moves right and down
    EXPECT_EQ(p->GetSourceRect(), (UIRect{50, 30, 250, 130}));
    drag({10, 10}, {190, 90}); // past the left/top edges: clamped at 0
    EXPECT_EQ(p->GetSourceRect(), (UIRect{0, 0, 200, 100}));
    for (int i = 0; i < 5; ++i) drag({190, 90}, {0, 0}); // far past right/bottom
    EXPECT_EQ(p->GetSourceRect(), (UIRect{280, 200, 480, 300}));
    EXPECT_EQ(p->GetHandImageDesc(), "file='hand/hand.png' source='280,200,480,300'");
    EXPECT_FALSE(p->IsDragging());
    // A move without a press pans nothing.
    QMouseEvent m(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &m);
    EXPECT_EQ(p->GetSourceRect(), (UIRect{280, 200, 480, 300}));

    // A picture that fits is drawn whole.
    Tree small(R"(<VerticalLayout><HandImgSelectButton name="s" width="500" height="400" handimage="hand/hand.png"/></VerticalLayout>)");
    EXPECT_EQ(small.Find<CHandImgSelectButtonUI>("s")->GetHandImageDesc(), "hand/hand.png");
}

TEST_F(Registered, RedioButtonFadesBetween80And255OnTimer100) {
    Tree t(R"(<VerticalLayout><RedioMacroButton name="r" height="30" redioimage="macro/redio.png"/>
              <RedioMacroButton name="plain" height="30"/></VerticalLayout>)");
    auto* r = t.Find<CRedioMacroButtonUI>("r");
    std::vector<int> seen;
    TEventUI tick;
    tick.Type = UIEvent::Timer;
    tick.wParam = 100;
    for (int i = 0; i < 20; ++i) {
        r->DoEvent(tick);
        seen.push_back(r->GetFade());
    }
    const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95, 80, 100,
                                       120, 140, 160, 180, 200, 220, 240, 255, 235, 215};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(r->GetNormalImage(), "res='macro/redio.png' fade='215'");
    EXPECT_EQ(t.rec.Count("timer"), 0u); // the blink tick is the button's own

    // Another timer id, or no image: no fade change.
    tick.wParam = 101;
    r->DoEvent(tick);
    EXPECT_EQ(r->GetFade(), 215);
    auto* plain = t.Find<CRedioMacroButtonUI>("plain");
    tick.wParam = 100;
    plain->DoEvent(tick);
    EXPECT_EQ(plain->GetFade(), 255);
    EXPECT_TRUE(plain->GetNormalImage().empty());
}

TEST_F(Registered, ComboEditElementBuildsItsRowAndReports) {
    Tree t(R"(<VerticalLayout><List name="lst" height="120">
        <ComboEditContainerElement name="row0" height="30" normalimage="x.png"/>
        <ComboEditContainerElement name="row1" height="30"/></List></VerticalLayout>)");
    auto* row = t.Find<CComboEditContainerElementUI>("row0");
    ASSERT_NE(row->GetText1(), nullptr);
    ASSERT_NE(row->GetText2(), nullptr);
    ASSERT_NE(row->GetDelayEdit(), nullptr);
    EXPECT_EQ(row->GetDelayEdit()->GetClass(), "EditUI");

    QWidget* w = row->GetWidget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(t.rec.Types(), std::vector<std::string>{"itemselect"});
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(t.rec.msgs.back().sType, "itemclick");
    EXPECT_EQ(t.rec.msgs.back().pSender, row);
    EXPECT_EQ(t.Find<CListUI>("lst")->GetCurSel(), 0);

    // Ctrl-press on the selected row clears it.
    QTest::mousePress(w, Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    EXPECT_EQ(t.Find<CListUI>("lst")->GetCurSel(), -1);

    EXPECT_FALSE(row->IsChanged());
    QTest::keyClick(row->GetDelayEdit()->GetWidget(), Qt::Key_Return);
    EXPECT_TRUE(row->IsChanged());
    EXPECT_EQ(t.rec.msgs.back().sType, "return");

    t.rec.msgs.clear();
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(t.rec.Types(), (std::vector<std::string>{"itemactivate", "return"}));
}

TEST_F(Registered, WndKeepsHostedWindowOnItsRectangle) {
    Tree t(R"(<VerticalLayout><Control height="30"/><Wnd name="host" height="50"/></VerticalLayout>)", nullptr, 200, 100);
    auto* wnd = t.Find<CWndUI>("host");
    QWidget child(&t.host);
    wnd->AttachHostedWindow(&child);
    EXPECT_EQ(child.geometry(), QRect(0, 30, 200, 50));
    wnd->SetVisible(false);
    EXPECT_FALSE(child.isVisible());
    wnd->SetVisible(true);
    t.pm.DoLayout();
    EXPECT_TRUE(child.isVisible());
}
