#pragma once
// Turns one row of the layout table into its widget.

class QWidget;

namespace app {

struct ControlSpec;

// The control of `spec` as a child of `parent`, named, placed, styled and in its initial state.
QWidget* create_control(const ControlSpec& spec, QWidget* parent);

}  // namespace app
