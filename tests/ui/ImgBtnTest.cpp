#include "cImgBtn.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <stdexcept>
#include <string>
#include <vector>

namespace vorpane {
namespace {

const QColor kNormal(200, 30, 30);
const QColor kHover(30, 200, 30);
const QColor kPressed(30, 30, 200);

QPixmap Solid(const QColor& colour) {
    QPixmap pixmap(40, 40);
    pixmap.fill(colour);
    return pixmap;
}

// Which of the three pictures the button shows now.
std::string Look(const TImgBtn& button) {
    const QColor shown = button.Picture().toImage().pixelColor(5, 5);
    if (shown == kNormal) {
        return "Pic";
    }
    if (shown == kHover) {
        return "PicUp";
    }
    if (shown == kPressed) {
        return "PicDown";
    }
    return "other";
}

// A button at (10, 10), 40 x 40, in a shown window, recording its events
// together with the picture shown at the moment each fires.
class ImgBtnTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(200, 100);
        button = new TImgBtn(&host);
        button->setGeometry(10, 10, 40, 40);
        button->SetPic(Solid(kNormal));
        button->SetPicUp(Solid(kHover));
        button->SetPicDown(Solid(kPressed));
        button->OnClick = [this](QObject* Sender) {
            EXPECT_EQ(Sender, button);
            Record("click");
        };
        button->OnMouseDown = [this](TWMMouse& Msg) { Record("down", Msg); };
        button->OnMouseUp = [this](TWMMouse& Msg) { Record("up", Msg); };
        button->OnMouseEnter = [this](TWMMouse& Msg) { Record("enter", Msg); };
        button->OnMouseLeave = [this](TWMMouse& Msg) { Record("leave", Msg); };
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        window = host.windowHandle();
        QTest::mouseMove(window, kOutside);
        events.clear();
    }

    void Record(const std::string& name) { events.push_back(name + "@" + Look(*button)); }
    void Record(const std::string& name, const TWMMouse& Msg) {
        Record(name);
        messages.push_back(Msg);
    }

    static TWMMouse Message(std::uint32_t Msg) {
        TWMMouse message;
        message.Msg = Msg;
        message.XPos = 5;
        message.YPos = 5;
        return message;
    }
    void Send(std::uint32_t Msg) {
        TWMMouse message = Message(Msg);
        switch (Msg) {
        case CM_MOUSEENTER:
            button->CMMouseEnter(message);
            break;
        case CM_MOUSELEAVE:
            button->CMMouseLeave(message);
            break;
        case WM_LBUTTONDOWN:
            button->WMLButtonDown(message);
            break;
        case WM_LBUTTONUP:
            button->WMLButtonUp(message);
            break;
        }
    }

    const QPoint kInside{30, 30};
    const QPoint kOutside{150, 80};
    QWidget host;
    TImgBtn* button = nullptr;
    QWindow* window = nullptr;
    std::vector<std::string> events;
    std::vector<TWMMouse> messages;
};

using Events = std::vector<std::string>;

TEST_F(ImgBtnTest, StartsNormalWithNoFlagsAndTheDefaultSize) {
    TImgBtn fresh(nullptr);
    EXPECT_EQ(fresh.size(), QSize(105, 105));
    EXPECT_FALSE(fresh.MouseInside());
    EXPECT_FALSE(fresh.ButtonDown());
    EXPECT_TRUE(fresh.Supported);
    EXPECT_TRUE(fresh.Picture().isNull());
}

// Each row: notifications sent in order, then the flags and the look.
TEST_F(ImgBtnTest, LookTableFollowsTheTwoFlags) {
    const struct {
        std::vector<std::uint32_t> sequence;
        bool inside;
        bool down;
        const char* look;
    } rows[] = {
        {{}, false, false, "Pic"},
        {{CM_MOUSEENTER}, true, false, "PicUp"},
        {{CM_MOUSEENTER, WM_LBUTTONDOWN}, true, true, "PicDown"},
        {{CM_MOUSEENTER, WM_LBUTTONDOWN, CM_MOUSELEAVE}, false, true, "Pic"},
        {{CM_MOUSEENTER, WM_LBUTTONDOWN, CM_MOUSELEAVE, CM_MOUSEENTER}, true, true, "PicDown"},
        {{CM_MOUSEENTER, WM_LBUTTONDOWN, WM_LBUTTONUP}, true, false, "PicUp"},
        {{CM_MOUSEENTER, WM_LBUTTONDOWN, CM_MOUSELEAVE, WM_LBUTTONUP}, false, false, "Pic"},
        {{CM_MOUSEENTER, CM_MOUSELEAVE}, false, false, "Pic"},
        // A press while the pointer is not inside changes the flag only.
        {{WM_LBUTTONDOWN}, false, true, "Pic"},
        {{WM_LBUTTONDOWN, CM_MOUSEENTER}, true, true, "PicDown"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.sequence));
        TImgBtn fresh(&host);
        button = &fresh;
        fresh.SetPic(Solid(kNormal));
        fresh.SetPicUp(Solid(kHover));
        fresh.SetPicDown(Solid(kPressed));
        for (std::uint32_t msg : row.sequence) {
            Send(msg);
        }
        EXPECT_EQ(fresh.MouseInside(), row.inside);
        EXPECT_EQ(fresh.ButtonDown(), row.down);
        EXPECT_EQ(Look(fresh), row.look);
    }
}

TEST_F(ImgBtnTest, ClickComesFirstWithThePressedLookThenHoverThenMouseUp) {
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, {}, kInside);
    QTest::mouseRelease(window, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(events, (Events{"enter@PicUp", "down@PicDown", "click@PicDown", "up@PicUp"}));
}

TEST_F(ImgBtnTest, HandlersGetTheMessageBeingHandled) {
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, Qt::ShiftModifier, kInside);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::ShiftModifier, kInside);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].Msg, CM_MOUSEENTER);
    EXPECT_EQ(messages[0].Keys, 0u);
    EXPECT_EQ(messages[0].XPos, 0);
    EXPECT_EQ(messages[0].YPos, 0);
    EXPECT_EQ(messages[1].Msg, WM_LBUTTONDOWN);
    EXPECT_EQ(messages[1].Keys, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(messages[1].XPos, kInside.x() - 10); // client coordinates
    EXPECT_EQ(messages[1].YPos, kInside.y() - 10);
    EXPECT_EQ(messages[2].Msg, WM_LBUTTONUP);
    EXPECT_EQ(messages[2].Keys, MK_SHIFT); // the left button is up by now
}

TEST_F(ImgBtnTest, DragOffAndBackWhileHeldThenReleaseClicks) {
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, {}, kInside);
    QTest::mouseMove(window, kOutside);
    EXPECT_EQ(Look(*button), "Pic");
    EXPECT_FALSE(button->MouseInside());
    EXPECT_TRUE(button->ButtonDown());
    QTest::mouseMove(window, kInside);
    EXPECT_EQ(Look(*button), "PicDown");
    QTest::mouseRelease(window, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(events, (Events{"enter@PicUp", "down@PicDown", "leave@Pic", "enter@PicDown",
                              "click@PicDown", "up@PicUp"}));
}

TEST_F(ImgBtnTest, ReleaseOutsideKeepsNormalFiresMouseUpButNoClick) {
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, {}, kInside);
    QTest::mouseMove(window, kOutside);
    QTest::mouseRelease(window, Qt::LeftButton, {}, kOutside);
    EXPECT_EQ(Look(*button), "Pic");
    EXPECT_FALSE(button->ButtonDown());
    // Qt's own leave after the release must not be told twice.
    EXPECT_EQ(events, (Events{"enter@PicUp", "down@PicDown", "leave@Pic", "up@Pic"}));
    QTest::mouseMove(window, kInside);
    EXPECT_EQ(Look(*button), "PicUp");
}

TEST_F(ImgBtnTest, RightAndMiddleButtonsChangeNothing) {
    QTest::mouseMove(window, kInside);
    events.clear();
    for (Qt::MouseButton which : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(window, which, {}, kInside);
        EXPECT_EQ(Look(*button), "PicUp");
        EXPECT_FALSE(button->ButtonDown());
        QTest::mouseRelease(window, which, {}, kInside);
        EXPECT_EQ(Look(*button), "PicUp");
    }
    EXPECT_TRUE(events.empty()) << testing::PrintToString(events);
}

TEST_F(ImgBtnTest, SecondPressOfADoubleClickIsNoPress) {
    QTest::mouseMove(window, kInside);
    events.clear();
    QTest::mouseDClick(window, Qt::LeftButton, {}, kInside);
    // Press, release, double-click message, release.
    EXPECT_EQ(events, (Events{"down@PicDown", "click@PicDown", "up@PicUp", "up@PicUp"}));
    EXPECT_FALSE(button->ButtonDown());
}

TEST_F(ImgBtnTest, UnsupportedButtonKeepsItsPictureAndStillClicks) {
    button->Supported = false;
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(Look(*button), "Pic");
    QTest::mouseRelease(window, Qt::LeftButton, {}, kInside);
    QTest::mouseMove(window, kOutside);
    EXPECT_EQ(Look(*button), "Pic");
    EXPECT_FALSE(button->MouseInside());
    EXPECT_FALSE(button->ButtonDown());
    EXPECT_EQ(events, (Events{"click@Pic"}));
}

TEST_F(ImgBtnTest, SwitchingSupportOffKeepsTheLookShownThen) {
    QTest::mouseMove(window, kInside);
    button->Supported = false;
    QTest::mouseMove(window, kOutside);
    EXPECT_EQ(Look(*button), "PicUp");

    button->Supported = true;
    QTest::mouseMove(window, kInside);
    QTest::mousePress(window, Qt::LeftButton, {}, kInside);
    button->Supported = false;
    QTest::mouseRelease(window, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(Look(*button), "PicDown");
}

TEST_F(ImgBtnTest, NewHoverOrPressedPictureShowsOnlyAtTheNextNotification) {
    QTest::mouseMove(window, kInside);
    const QColor other(120, 120, 0);
    button->SetPicUp(Solid(other));
    button->SetPicDown(Solid(other));
    EXPECT_EQ(Look(*button), "PicUp");
    QTest::mouseMove(window, kOutside);
    QTest::mouseMove(window, kInside);
    EXPECT_EQ(button->Picture().toImage().pixelColor(5, 5), other);
}

TEST_F(ImgBtnTest, SetPicShowsAtOnceAndKeepsACopy) {
    QPixmap mine = Solid(kHover);
    button->SetPic(mine);
    EXPECT_EQ(Look(*button), "PicUp");
    mine.fill(Qt::black);
    EXPECT_EQ(button->Pic().toImage().pixelColor(5, 5), kHover);
    EXPECT_EQ(Look(*button), "PicUp");
}

TEST_F(ImgBtnTest, PicturesAssignedThroughTheGettersAreTheStoredOnes) {
    button->PicUp() = Solid(kPressed);
    QTest::mouseMove(window, kInside);
    EXPECT_EQ(Look(*button), "PicDown");
}

TEST_F(ImgBtnTest, AClickThatRaisesStillEndsThePress) {
    button->OnClick = [](QObject*) { throw std::runtime_error("click failed"); };
    Send(CM_MOUSEENTER);
    Send(WM_LBUTTONDOWN);
    events.clear();
    TWMMouse up = Message(WM_LBUTTONUP);
    EXPECT_THROW(button->WMLButtonUp(up), std::runtime_error);
    EXPECT_FALSE(button->ButtonDown());
    EXPECT_EQ(Look(*button), "PicUp");
    EXPECT_EQ(events, (Events{"up@PicUp"}));
}

TEST_F(ImgBtnTest, KeysWorkItAsTheLeftButtonButAClickDoesNotTakeTheFocus) {
    EXPECT_EQ(button->focusPolicy(), Qt::TabFocus);
    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }));
    QTest::keyPress(button, Qt::Key_Space);
    QTest::keyPress(button, Qt::Key_Space, {}, -1); // held: the key repeats
    EXPECT_EQ(events, (std::vector<std::string>{"down@Pic"}));
    QTest::keyRelease(button, Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(events, (std::vector<std::string>{"down@Pic", "click@Pic", "up@Pic", "down@Pic",
                                                "click@Pic", "up@Pic"}));
    // Space held while the focus goes: let go without a click.
    events.clear();
    QTest::keyPress(button, Qt::Key_Space);
    button->clearFocus();
    EXPECT_EQ(events, (std::vector<std::string>{"down@Pic", "up@Pic"}));
}

TEST_F(ImgBtnTest, HiddenButtonNoLongerCountsAsHovered) {
    QTest::mouseMove(window, kInside);
    button->hide();
    EXPECT_FALSE(button->MouseInside());
    EXPECT_EQ(Look(*button), "Pic");
}

} // namespace
} // namespace vorpane
