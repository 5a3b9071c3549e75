#pragma once

// OLE drag and drop onto a window: the file lists a drag carries, in the workflow's terms.
// Windows-only header.

#include <ole2.h>
#include <shellapi.h>
#include <windows.h>

#include <functional>

#include "common/scoped_win32.h"
#include "front_end/main_window.h"

namespace droplet {

// The paths of a file list (wide on the system's side, UTF-8 here), in the list's order.
DragData DragDataFromHDrop(HDROP drop);
// What a drag's data object carries: its CF_HDROP file list, or no file list at all.
DragData DragDataFromDataObject(IDataObject* data);

// An IDropTarget that hands each drag over and drop to the given handlers. `dragOver` gets
// the data and the effects the source allows (DROPEFFECT bits, which the workflow's are) and
// returns the effect the window accepts; `drop` gets the data of an accepted drop. The data
// object is read once, when the drag enters.
class DropTarget final : public IDropTarget {
 public:
  using DragOverHandler = std::function<unsigned(const DragData& data, unsigned allowedEffects)>;
  using DropHandler = std::function<void(const DragData& data)>;

  DropTarget(DragOverHandler dragOver, DropHandler drop);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  ~DropTarget() = default;
  // The accepted effect for the current drag, from the drag-over handler.
  DWORD Classify(DWORD allowed);

  LONG references_ = 1;
  DragOverHandler dragOver_;
  DropHandler drop_;
  DragData current_;
};

// A drop target registered for a window (after OleInitialize on the window's thread) and
// revoked when the registration goes.
class DropTargetRegistration {
 public:
  DropTargetRegistration(HWND window, DropTarget::DragOverHandler dragOver,
                         DropTarget::DropHandler drop);
  ~DropTargetRegistration();
  DropTargetRegistration(const DropTargetRegistration&) = delete;
  DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;

  bool registered() const { return registered_; }
  DropTarget& target() { return *target_.get(); }

 private:
  HWND window_;
  ScopedCom<DropTarget> target_;
  bool registered_ = false;
};

}  // namespace droplet
