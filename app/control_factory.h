#pragma once
// Turns one row of the layout table into its widget.

class QWidget;

namespace app {

struct ControlRow;

// The control of `row` as a child of `parent`, named, placed, styled and in its initial state.
QWidget* create_control(const ControlRow& row, QWidget* parent);

}  // namespace app
