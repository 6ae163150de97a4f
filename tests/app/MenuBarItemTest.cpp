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
#include "settings/DataController.h"

namespace touchlane {
namespace {

class MenuBarItemTest : public ::testing::Test {
protected:
    void TearDown() override { MenuBarItem::unload(); }

    std::shared_ptr<MenuBarItem> load() {
        MenuBarItem::Options options;
        options.terminate = [this] { ++terminations; };
        return MenuBarItem::load_Manual(options);
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (QAction* action : MenuBarItem::shared()->menu()->actions()) result.push_back(action->text().toStdString());
        return result;
    }
    // What the device monitor does: publish, then let the settings queue and the
    // main thread run.
    void publishConnection(const PropertyListValue& value) {
        settings.controller()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), value, false);
        deliver();
    }
    void deliver() {
        time.runUntilIdle();
        QCoreApplication::processEvents();
    }
    QImage shownImage() const { return MenuBarItem::shared()->statusItem()->icon().pixmap(32).toImage(); }
    static QImage imageNamed(const char* name) { return StatusImages::image(name).pixmap(32).toImage(); }

    test::TemporaryHome home;
    VirtualTime time;
    SettingsSandbox settings;
    LogRecorder log;
    int terminations = 0;
};

TEST_F(MenuBarItemTest, TheMenuHoldsItsThreeItemsInOrder) {
    const auto item = load();
    const std::string version = "Version: V" + BundleInfo::shortVersion() + "." + BundleInfo::buildNumber();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Enable automatic startup", version, "Exit the app"}));
    const auto actions = item->menu()->actions();
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::Key_A));
    EXPECT_TRUE(actions[1]->shortcut().isEmpty());
    EXPECT_EQ(actions[2]->shortcut(), QKeySequence(Qt::Key_Q));
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_FALSE(actions[1]->isEnabled());
    EXPECT_TRUE(actions[2]->isEnabled());
    EXPECT_EQ(item->statusItem()->contextMenu(), item->menu());
    EXPECT_EQ(item->enableAutomaticStartupMenuItem(), actions[0]);
}

TEST_F(MenuBarItemTest, VersionTitleNeedsBothVersionParts) {
    EXPECT_EQ(MenuBarItem::versionTitle("1.2", "34"), "Version: V1.2.34");
    EXPECT_EQ(MenuBarItem::versionTitle("", "34"), "Version: V");
    EXPECT_EQ(MenuBarItem::versionTitle("1.2", ""), "Version: V");
}

TEST_F(MenuBarItemTest, TheLaunchAtLoginTitleIsReadAgainWhenTheMenuOpens) {
    const auto item = load();
    LaunchLogInUtilities::toggleLaunchAtStartup();  // turned on behind the menu's back
    EXPECT_EQ(titles()[0], "Enable automatic startup");
    emit item->menu()->aboutToShow();
    EXPECT_EQ(titles()[0], "Disable automatic startup");
}

TEST_F(MenuBarItemTest, ChoosingTheToggleFlipsTheAutostartEntryAndTheTitle) {
    const auto item = load();
    QAction* toggle = item->menu()->actions()[0];
    toggle->trigger();
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_TRUE(test::fileExists(LaunchLogInUtilities::autostartEntryPath()));
    EXPECT_EQ(titles()[0], "Disable automatic startup");

    toggle->trigger();
    EXPECT_FALSE(test::fileExists(LaunchLogInUtilities::autostartEntryPath()));
    EXPECT_EQ(titles()[0], "Enable automatic startup");
    // The menu's choice is the user's; the first-run record is not touched.
    EXPECT_FALSE(settings.controller()->objc_readWithKey(DataKeyConstants::launchAtLoginUserDidDisable(), std::nullopt));
}

TEST_F(MenuBarItemTest, TheImageFollowsThePublishedConnectionState) {
    const auto item = load();
    EXPECT_EQ(item->statusImageName(), "multitouch_status_light");
    EXPECT_EQ(shownImage(), imageNamed("multitouch_status_light"));

    publishConnection(1);
    EXPECT_TRUE(item->usbConnected());
    EXPECT_EQ(item->statusImageName(), "multitouch_status_light_connected");
    EXPECT_EQ(shownImage(), imageNamed("multitouch_status_light_connected"));

    publishConnection(0);
    EXPECT_FALSE(item->usbConnected());
    EXPECT_EQ(item->statusImageName(), "multitouch_status_light");

    publishConnection(true);
    EXPECT_EQ(item->statusImageName(), "multitouch_status_light_connected");
    // Values that are not integers change nothing.
    publishConnection("0");
    publishConnection(0.5);
    EXPECT_TRUE(item->usbConnected());
    EXPECT_EQ(item->statusImageName(), "multitouch_status_light_connected");
    EXPECT_EQ(shownImage(), imageNamed("multitouch_status_light_connected"));
}

TEST_F(MenuBarItemTest, AStateArrivingAfterTheItemIsGoneIsDropped) {
    std::weak_ptr<MenuBarItem> weak = load();
    settings.controller()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), 1, false);
    time.runUntilIdle();  // the observer has queued the change for the main thread
    MenuBarItem::unload();
    EXPECT_TRUE(weak.expired());
    QCoreApplication::processEvents();
    publishConnection(0);  // the observer now finds no item

    const auto replacement = load();
    publishConnection(1);
    EXPECT_EQ(replacement->statusImageName(), "multitouch_status_light_connected");
}

TEST_F(MenuBarItemTest, ClickingTheItemIsLoggedAndQuitEndsTheApplication) {
    const auto item = load();
    log.clear();
    emit item->statusItem()->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"MenuBarItem StatusBarButtonClicked"});
    EXPECT_EQ(log.entries()[0].style, LogStyle::logger);

    log.clear();
    item->menu()->actions()[2]->trigger();
    EXPECT_EQ(log.messages(), std::vector<std::string>{"MenuBarItem QuitApp"});
    EXPECT_EQ(terminations, 1);
}

TEST_F(MenuBarItemTest, TheOpenMenuAnswersItsItemsKeys) {
    const auto item = load();
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(item->menu(), &event);
    };
    press(Qt::Key_A);
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    press(Qt::Key_Q, Qt::ControlModifier);  // not the item's key
    EXPECT_EQ(terminations, 0);
    press(Qt::Key_Q);
    EXPECT_EQ(terminations, 1);
}

TEST(StatusImages, BothImagesComeInEverySizeATrayAsksFor) {
    for (const char* name : {StatusImages::kConnected, StatusImages::kNotConnected}) {
        const QIcon icon = StatusImages::image(name);
        ASSERT_FALSE(icon.isNull()) << name;
        for (int size : {16, 22, 24, 32, 48}) EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << name << size;
    }
    EXPECT_NE(StatusImages::image(StatusImages::kConnected).pixmap(22).toImage(),
              StatusImages::image(StatusImages::kNotConnected).pixmap(22).toImage());
}

}  // namespace
}  // namespace touchlane
