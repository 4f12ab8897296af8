// The card of a libgphoto2 camera over a recorded device, below the worker
// thread: what no folder driver can show, such as a camera unplugged.

#include "State.h"
#include "gphoto2/GphotoCard.h"

#include <gphoto2/gphoto2-port-result.h>

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using cdgp::GphotoError;

// A device that answers from memory; once unplugged every call fails as
// libgphoto2 fails for a camera that left the bus.
class RecordedDevice final : public cdgp::Device {
  public:
    explicit RecordedDevice(std::shared_ptr<std::atomic<bool>> unplugged)
        : unplugged_(std::move(unplugged)) {}

    cdgp::Abilities abilities() override { return check(), cdgp::Abilities{}; }
    std::string summary() override { return check(), "Model: X\nSerial Number: 0815 \n"; }
    std::vector<cdgp::Storage> storages() override {
        check();
        return {{"/store_00010001", "SD", 4096, 1024}};
    }
    std::vector<std::string> folders(const std::string&) override {
        check();
        return {};
    }
    std::vector<cdgp::FileEntry> files(const std::string&) override {
        check();
        return {};
    }
    cdgp::Bytes read(const std::string&, cdgp::FileKind, const cdgp::Progress&) override {
        return check(), cdgp::Bytes{};
    }
    cdgp::Bytes readHead(const std::string&, uint64_t) override { return check(), cdgp::Bytes{}; }
    void remove(const std::string&) override { check(); }
    void makeFolder(const std::string&, const std::string&) override { check(); }
    void put(const std::string&, const cdgp::Bytes&) override { check(); }
    cdgp::Widget configuration() override { return check(), cdgp::Widget{}; }
    void waitForEvent(int) override { check(); }

  private:
    void check() const {
        if (*unplugged_) {
            throw GphotoError{"gp_camera_wait_for_event", GP_ERROR_IO_USB_FIND, "Could not find USB device"};
        }
    }
    std::shared_ptr<std::atomic<bool>> unplugged_;
};

TEST(GphotoCardTest, DescribesTheCameraFromItsSummaryAndStorages) {
    auto unplugged = std::make_shared<std::atomic<bool>>(false);
    cdgp::GphotoCard card({"X", "usb:001,004"}, [] {}, [&](const cdgp::Detected&) {
        return std::make_unique<RecordedDevice>(unplugged);
    });
    const auto description = card.describe();
    EXPECT_EQ(description.model, "X");
    EXPECT_EQ(description.serialNumber, "0815");
    EXPECT_EQ(description.port, uint32_t(CD_PORT_USB));
    EXPECT_EQ(description.offers.upload, 0u);
    const auto volumes = card.volumes();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].root, "/store_00010001");
    EXPECT_EQ(volumes[0].name, "SD");
    EXPECT_EQ(volumes[0].totalKBytes, 4096u);
}

// The event poll on the worker finds the camera gone: the card says so once,
// and every later call answers the disconnection.
TEST(GphotoCardTest, AnUnpluggedCameraIsReportedOnceAndFailsAfterwards) {
    auto unplugged = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex;
    std::condition_variable reported;
    int disconnections = 0;
    cdgp::GphotoCard card(
        {"X", "usb:001,004"},
        [&] {
            std::lock_guard<std::mutex> lock(mutex);
            ++disconnections;
            reported.notify_all();
        },
        [&](const cdgp::Detected&) { return std::make_unique<RecordedDevice>(unplugged); });
    EXPECT_TRUE(card.connected());
    *unplugged = true;
    {
        std::unique_lock<std::mutex> lock(mutex);
        reported.wait(lock, [&] { return disconnections > 0; });
    }
    EXPECT_FALSE(card.connected());
    try {
        card.list("/");
        ADD_FAILURE() << "listing an unplugged camera succeeded";
    } catch (const cdsim::Failure& failure) {
        EXPECT_EQ(failure.code, CD_ERR_DEVICE_DISCONNECTED);
    }
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(disconnections, 1);
}

} // namespace
