// The top-level Qt window of a form.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <optional>

#include "forms/Design.h"

#include <QPushButton>

namespace forms {

class NativeForm;

class FormWindow : public QMainWindow {
    Q_OBJECT
  public:
    FormWindow(NativeForm& form, Border border, QWidget* owner);

    QWidget* Client() const { return client_; }
    void SetDefaultButton(QPushButton* button) { defaultButton_ = button; }
    void SetClientSize(int width, int height);  // twips
    void ShowModeless();
    void ShowModal();

    QRect Outer() const;
    void SetOuter(const QRect& outer);
    void CentreOver(const QRect& area);
    int MenuHeight() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMargins FrameMargins() const;
    bool PressDefault(QKeyEvent* event);

    NativeForm& form_;
    QWidget* client_;
    QPointer<QPushButton> defaultButton_;
    // Asked for before the window manager framed the window: applied again once the real
    // frame is known.
    std::optional<QRect> pendingOuter_;
    std::optional<QPoint> pendingCentre_;
};

// The virtual-key code of a key event: Esc 27, Enter 13, letters and digits as in ASCII.
int VirtualKey(const QKeyEvent* event);

}  // namespace forms
