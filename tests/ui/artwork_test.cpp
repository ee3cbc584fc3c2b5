// The drawn images: their pixel sizes at 100 % and 200 %, and that states
// and tracks can be told apart.
#include <QTest>
#include <set>

#include "tests/ui/support/test_main.h"
#include "ui/artwork.h"

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
  void imagesHaveTheirSizeAtEachScale();
  void buttonStatesDiffer();
  void trackImagesDifferByTrackAndState();
  void absentArrowLeavesTheRowEmpty();
};

void ArtworkTest::imagesHaveTheirSizeAtEachScale() {
  for (qreal dpr : {1.0, 2.0}) {
    const QImage large = LargeButtonImage(LargeButtonArt::Rewrap, ArtState::Normal, dpr);
    QCOMPARE(large.size(), QSize(128, 80) * dpr);
    QCOMPARE(large.devicePixelRatio(), dpr);
    QCOMPARE(large.deviceIndependentSize(), QSizeF(128, 80));
    QCOMPARE(SmallButtonImage(SmallButtonArt::Out, ArtState::Pressed, dpr).size(), QSize(104, 36) * dpr);
    QCOMPARE(TrackImage(23, kTrackOn, dpr).size(), QSize(52, 52) * dpr);
    QCOMPARE(ScrollArrowImage(true, ArtState::Normal, dpr).size(), QSize(52, 52) * dpr);
  }
  QCOMPARE(AppIconImage(256).size(), QSize(256, 256));
  QVERIFY(!AppIcon().availableSizes().isEmpty());
}

void ArtworkTest::buttonStatesDiffer() {
  for (LargeButtonArt art : {LargeButtonArt::Load, LargeButtonArt::View, LargeButtonArt::Rewrap, LargeButtonArt::Export}) {
    const QImage normal = LargeButtonImage(art, ArtState::Normal, 1);
    const QImage pressed = LargeButtonImage(art, ArtState::Pressed, 1);
    const QImage disabled = LargeButtonImage(art, ArtState::Disabled, 1);
    QVERIFY(normal != pressed);
    QVERIFY(normal != disabled);
    QVERIFY(pressed != disabled);
  }
  // The four buttons are not the same picture.
  QVERIFY(LargeButtonImage(LargeButtonArt::Load, ArtState::Normal, 1) !=
          LargeButtonImage(LargeButtonArt::Export, ArtState::Normal, 1));
  for (SmallButtonArt art : {SmallButtonArt::In, SmallButtonArt::Out, SmallButtonArt::Dur}) {
    QVERIFY(SmallButtonImage(art, ArtState::Normal, 1) != SmallButtonImage(art, ArtState::Disabled, 1));
  }
}

void ArtworkTest::trackImagesDifferByTrackAndState() {
  std::set<qint64> keys;
  for (int slot = 0; slot < 24; ++slot) {
    for (int state : {kTrackOff, kTrackOn, kTrackAbsent}) {
      const QImage image = TrackImage(slot, state, 1);
      keys.insert(static_cast<qint64>(qHashBits(image.constBits(), static_cast<size_t>(image.sizeInBytes()))));
    }
  }
  QCOMPARE(keys.size(), size_t{72});
}

void ArtworkTest::absentArrowLeavesTheRowEmpty() {
  const QImage absent = ScrollArrowImage(false, ArtState::Disabled, 2);
  for (int y = 0; y < absent.height(); ++y) {
    for (int x = 0; x < absent.width(); ++x) QCOMPARE(qAlpha(absent.pixel(x, y)), 0);
  }
  QVERIFY(ScrollArrowImage(false, ArtState::Normal, 1) != ScrollArrowImage(true, ArtState::Normal, 1));
}

VELMORA_UI_TEST_MAIN(ArtworkTest)
#include "artwork_test.moc"
