#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSystemTrayIcon>

#include "AppTestSupport.h"
#include "app/LaunchLogInUtilities.h"
#include "app/MenuBarItem.h"
#include "app/StatusImages.h"
#include "logging/LogHook.h"
#include "platform/BundleInfo.h"
#include "platform/ManualScheduler.h"

namespace touchlane {
namespace {

class MenuBarItemTest : public ::testing::Test {
protected:
    MenuBarItemTest() {
        test::ensureQtApplication();
        MenuBarItem::Options options;
        options.terminate = [this] { ++terminations; };
        item = MenuBarItem::load_Manual(options);
        log.clear();
    }
    ~MenuBarItemTest() override { MenuBarItem::unload(); }

    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (QAction* action : item->menu()->actions()) result.push_back(action->text().toStdString());
        return result;
    }
    QAction* action(int index) const { return item->menu()->actions()[index]; }
    // What the device monitor does, then the settings queue and the main thread run.
    void publishConnection(const PropertyListValue& value) {
        settings.controller()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), value, false);
        time.runUntilIdle();
        QCoreApplication::processEvents();
    }
    void expectImage(const char* name) const {
        EXPECT_EQ(item->statusImageName(), name);
        EXPECT_EQ(item->statusItem()->icon().pixmap(22).toImage(), StatusImages::image(name).pixmap(22).toImage());
    }

    test::TemporaryHome home;
    VirtualTime time;
    SettingsSandbox settings;
    LogRecorder log;
    int terminations = 0;
    std::shared_ptr<MenuBarItem> item;
};

TEST_F(MenuBarItemTest, ThreeItemsWhoseToggleTitleFollowsTheAutostartEntry) {
    const std::string version = "Version: V" + BundleInfo::shortVersion() + "." + BundleInfo::buildNumber();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Enable automatic startup", version, "Exit the app"}));
    EXPECT_EQ(action(0)->shortcut(), QKeySequence(Qt::Key_A));
    EXPECT_FALSE(action(1)->isEnabled());
    EXPECT_EQ(action(2)->shortcut(), QKeySequence(Qt::Key_Q));
    EXPECT_EQ(MenuBarItem::versionTitle("1.2", "34"), "Version: V1.2.34");
    EXPECT_EQ(MenuBarItem::versionTitle("", "34"), "Version: V");

    LaunchLogInUtilities::toggleLaunchAtStartup();  // behind the menu's back
    emit item->menu()->aboutToShow();
    EXPECT_EQ(titles()[0], "Disable automatic startup");

    action(0)->trigger();
    EXPECT_FALSE(test::fileExists(LaunchLogInUtilities::autostartEntryPath()));
    EXPECT_EQ(titles()[0], "Enable automatic startup");
    action(0)->trigger();
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(titles()[0], "Disable automatic startup");
    // The menu's choice is the user's: the first-run record is not touched.
    EXPECT_FALSE(settings.controller()->objc_readWithKey(DataKeyConstants::launchAtLoginUserDidDisable(), std::nullopt));
}

TEST_F(MenuBarItemTest, TheImageFollowsThePublishedConnectionState) {
    expectImage(StatusImages::kNotConnected);
    publishConnection(1);
    EXPECT_TRUE(item->usbConnected());
    expectImage(StatusImages::kConnected);
    publishConnection(0);
    expectImage(StatusImages::kNotConnected);
    publishConnection(true);
    // Values that are not integers change nothing.
    publishConnection("0");
    publishConnection(0.5);
    EXPECT_TRUE(item->usbConnected());
    expectImage(StatusImages::kConnected);
}

TEST_F(MenuBarItemTest, AStateArrivingAfterTheItemIsGoneIsDropped) {
    settings.controller()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), 1, false);
    time.runUntilIdle();  // the observer has queued the change for the main thread
    std::weak_ptr<MenuBarItem> gone = item;
    item.reset();
    MenuBarItem::unload();
    EXPECT_TRUE(gone.expired());
    publishConnection(0);

    item = MenuBarItem::load_Manual();
    publishConnection(1);
    expectImage(StatusImages::kConnected);
}

TEST_F(MenuBarItemTest, ClicksAreLoggedAndQuitOrItsKeyEndsTheApplication) {
    emit item->statusItem()->activated(QSystemTrayIcon::Context);
    action(2)->trigger();
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"MenuBarItem StatusBarButtonClicked", "MenuBarItem QuitApp"}));
    EXPECT_EQ(terminations, 1);

    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(item->menu(), &event);
    };
    press(Qt::Key_Q, Qt::ControlModifier);  // not the item's key
    EXPECT_EQ(terminations, 1);
    press(Qt::Key_Q, Qt::NoModifier);
    EXPECT_EQ(terminations, 2);
}

TEST(StatusImages, BothComeInEverySizeATrayAsksFor) {
    test::ensureQtApplication();
    for (const char* name : {StatusImages::kConnected, StatusImages::kNotConnected}) {
        for (int size : {16, 22, 24, 32, 48}) {
            EXPECT_TRUE(StatusImages::image(name).availableSizes().contains(QSize(size, size))) << name << size;
        }
    }
}

}  // namespace
}  // namespace touchlane
