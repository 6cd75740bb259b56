#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "overlay/OverlayPanels.h"
#include "platform/Ports.h"

namespace orvale::testing {

// What one panel was asked, kept after the panel goes.
struct PanelRecord {
    enum class Kind { marker, flash } kind = Kind::marker;
    std::uint32_t number = 0;  // its window number
    int badge = 0;
    Rgb accent;
    RectD frame;
    int framesSet = 0;
    int rectsSet = 0;
    int raised = 0;
    std::vector<RectD> rects;
    double opacity = 1;
    // The fade in progress: its target and what to call when it ends.
    std::optional<double> fadingTo;
    std::function<void()> fadeDone;
    bool destroyed = false;
};

// Overlay panels that draw nothing and record what they were asked.
class RecordingSurfaces final : public OverlaySurfaces {
  public:
    std::unique_ptr<OverlayPanel> marker(const RectD& frame, int number) override {
        auto& record = add(PanelRecord::Kind::marker, frame);
        record->badge = number;
        return std::make_unique<Panel>(record);
    }
    std::unique_ptr<OverlayPanel> flash(const RectD& frame, Rgb accent, double) override {
        auto& record = add(PanelRecord::Kind::flash, frame);
        record->accent = accent;
        return std::make_unique<Panel>(record);
    }
    bool motionReduced() override { return reduceMotion; }

    // Every panel made, in order.
    std::vector<std::shared_ptr<PanelRecord>> panels;
    bool reduceMotion = false;

    std::vector<std::shared_ptr<PanelRecord>> live() const {
        std::vector<std::shared_ptr<PanelRecord>> shown;
        for (const auto& panel : panels) {
            if (!panel->destroyed) shown.push_back(panel);
        }
        return shown;
    }
    // Ends every fade in progress, as the toolkit would when its time is up.
    void finishFades() {
        for (const auto& panel : live()) {
            if (!panel->fadingTo) continue;
            panel->opacity = *panel->fadingTo;
            panel->fadingTo.reset();
            if (auto done = std::exchange(panel->fadeDone, nullptr)) done();
        }
    }

  private:
    class Panel final : public OverlayPanel {
      public:
        explicit Panel(std::shared_ptr<PanelRecord> record) : record_(std::move(record)) {}
        ~Panel() override { record_->destroyed = true; }

        std::optional<std::uint32_t> windowNumber() const override { return record_->number; }
        RectD frame() const override { return record_->frame; }
        void setFrame(const RectD& frame) override {
            record_->frame = frame;
            ++record_->framesSet;
        }
        void orderFront() override { ++record_->raised; }
        void setOpacity(double opacity) override {
            record_->opacity = opacity;
            record_->fadingTo.reset();
        }
        void animateOpacity(double opacity, Clock::Duration, Easing,
                            std::function<void()> done) override {
            record_->fadingTo = opacity;
            record_->fadeDone = std::move(done);
        }
        void setVisibleRects(const std::vector<RectD>& rects) override {
            record_->rects = rects;
            ++record_->rectsSet;
        }

      private:
        std::shared_ptr<PanelRecord> record_;
    };

    std::shared_ptr<PanelRecord>& add(PanelRecord::Kind kind, const RectD& frame) {
        auto record = std::make_shared<PanelRecord>();
        record->kind = kind;
        record->frame = frame;
        record->number = 9000 + static_cast<std::uint32_t>(panels.size());
        panels.push_back(record);
        return panels.back();
    }
};

// A window list a test sets; counts how often it was read.
class ScriptedWindowList final : public WindowServer {
  public:
    std::optional<std::vector<WindowInfo>> onScreenWindows() override {
        ++reads;
        return windows;
    }
    void set(std::vector<std::pair<std::uint32_t, RectD>> frontToBack) {
        windows.emplace();
        for (const auto& [number, bounds] : frontToBack) {
            windows->push_back(
                {.ownerPID = 1, .number = number, .layer = 0, .alpha = 1.0, .bounds = bounds});
        }
    }

    std::optional<std::vector<WindowInfo>> windows;
    int reads = 0;
};

}  // namespace orvale::testing
