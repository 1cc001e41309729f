#pragma once

#include <windows.h>

// What the control window procedure asks of an owner-drawn list (identifier 1002)
// whose parent is a control window: the list's window keeps a ListControl* in its
// GWLP_USERDATA.
class ListControl {
  public:
    virtual ~ListControl() = default;
    virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0; // one row of the list
    virtual LRESULT OnNotification(int code) = 0;          // LBN_ codes from WM_COMMAND
};

constexpr int kListControlId = 1002;
