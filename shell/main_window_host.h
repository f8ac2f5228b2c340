#pragma once
// What the main window tells the program that hosts it: the window owns the picture and turns
// events into the device's input; what an event means beyond that is its host's.
#include <QPoint>

#include <string>

class QKeyEvent;

namespace q50 {

class MainWindowHost {
  public:
    virtual ~MainWindowHost() = default;
    // Keys taken ahead of the game keys (the context menu's shortcuts); true when taken.
    virtual bool shortcut_key(QKeyEvent*) { return false; }
    // A right click anywhere, at this global position.
    virtual void context_menu_at(const QPoint&) {}
    // The first and every later activation (FormActivate).
    virtual void activated() {}
    // The main window stopped or started being the active window.
    virtual void active_changed(bool /*active*/) {}
    // The window system closes the window (FormClose).
    virtual void closing() {}
    // Once, after the first frame reached the window (work that can wait for it goes here).
    virtual void first_frame_shown() {}
    // The window was dragged to a new place (its left and top) by the device body.
    virtual void dragged_to(const QPoint&) {}
    // A waiting picture's file turned out damaged (its picture stays empty).
    virtual void picture_failed() {}
    // Pictures whose copy at the scale shown could not be made (over the copy budget, or out of
    // memory): what to tell the user, each file once per skin. Their segments show nothing at
    // that scale.
    virtual void pictures_not_shown(const std::string& /*text*/) {}
};

} // namespace q50
