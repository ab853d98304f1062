#pragma once
// The speed dialog "スクロールスピード変更" (TNewsPositionChange): a track bar
// from 1 to 2000, right is faster; every movement applies at once, "&OK"
// keeps it, "ｷｬﾝｾﾙ(&C)", Esc or closing the window restore the speed it
// opened with.
#include <QDialog>
#include <QSlider>
#include <functional>
#include <vector>

class QPushButton;

namespace lumetra {

// A track bar whose tick marks are drawn at chosen positions.
class TTickTrackBar : public QSlider {
 public:
  explicit TTickTrackBar(QWidget* parent = nullptr);
  void SetTicks(std::vector<int> ticks);
  const std::vector<int>& Ticks() const { return ticks_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<int> ticks_;
};

class TNewsPositionChange : public QDialog {
 public:
  // `apply` receives every new speed (and the original one on cancel).
  TNewsPositionChange(int speed, std::function<void(int)> apply, QWidget* parent = nullptr);

  // Opens at `point`, kept on its screen.
  void PlaceAt(const QPoint& point);
  int Speed() const { return speed_; }
  TTickTrackBar* TrackBar() const { return trackBar_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void reject() override;

 private:
  void TrackBarChange(int position);

  const int originalSpeed_;
  int speed_;
  std::function<void(int)> apply_;
  TTickTrackBar* trackBar_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace lumetra
