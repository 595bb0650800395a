#pragma once

class QWidget;

// Gives the controls, lists, views and tool bars under root (and root) the names that
// screen readers read, where their own text says too little or nothing: icon-only
// buttons, lists, tool bars, fields without a label. Found by their object names; a
// name already given stays.
void setAccessibleNames(QWidget* root);
