#include "mainwindow.h"

#include "ui_mainwindow.h"

#include <memory>

namespace {

std::unique_ptr<MainWindow> &instanceHolder()
{
    static std::unique_ptr<MainWindow> window;
    return window;
}

} // namespace

MainWindow &MainWindow::instance()
{
    auto &window = instanceHolder();
    if (!window)
        window = std::make_unique<MainWindow>();
    return *window;
}

void MainWindow::releaseInstance()
{
    instanceHolder().reset();
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    ui->comboBoxGrid->addItems({tr("none"), tr("4x4"), tr("8x8"), tr("16x16"), tr("32x32")});
    setWindowIcon(QIcon(QStringLiteral(":/ico/Dozud.ico")));
    setMouseTracking(true);
}

MainWindow::~MainWindow()
{
    // The by-name connection to our own destroyed() would otherwise call a slot on
    // an object that is no longer a MainWindow.
    disconnect(this, &QObject::destroyed, this, nullptr);
    delete ui;
    ui = nullptr;
}

MainWindow::LoopMode MainWindow::loopMode() const
{
    if (ui->cbLoopNormal->isChecked())
        return Normal;
    if (ui->cbLoopBouncing->isChecked())
        return Bounce;
    return NoLoop;
}

void MainWindow::on_pbOpenImage_clicked() {}
void MainWindow::on_sliderImageZoom_valueChanged(int) {}
void MainWindow::on_sliderImageZoom_sliderMoved(int) {}
void MainWindow::on_pbCloseImage_clicked() {}
void MainWindow::on_pb1stepFF_clicked() {}
void MainWindow::on_pb5stepFF_clicked() {}
void MainWindow::on_pb1stepRew_clicked() {}
void MainWindow::on_pb5stepRew_clicked() {}
void MainWindow::on_pbGoToEnd_clicked() {}
void MainWindow::on_pbGoToStart_clicked() {}
void MainWindow::on_pbHideImageWnd_clicked() {}
void MainWindow::on_pbShowImageWnd_clicked() {}
void MainWindow::on_pbMoveUpImageItem_clicked() {}
void MainWindow::on_checkBoxGrid_clicked() {}
void MainWindow::on_comboBoxGrid_currentIndexChanged(int) {}
void MainWindow::on_rbCompColor_clicked() {}
void MainWindow::on_rbCompY_clicked() {}
void MainWindow::on_rbCompU_clicked() {}
void MainWindow::on_rbCompV_clicked() {}
void MainWindow::on_rbCompR_clicked() {}
void MainWindow::on_rbCompG_clicked() {}
void MainWindow::on_rbCompB_clicked() {}
void MainWindow::on_lwImageItems_currentRowChanged(int) {}
void MainWindow::on_checkBoxToolTip_clicked() {}
void MainWindow::on_pbStartPlay_clicked() {}
void MainWindow::on_pbStopPlay_clicked() {}
void MainWindow::on_MainWindow_destroyed() {}
