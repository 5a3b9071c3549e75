#include "front_end/drop_target_win32.h"

#include <string>
#include <utility>

#include "common/text_win32.h"

namespace droplet {

DragData DragDataFromHDrop(HDROP drop) {
  DragData data;
  if (drop == nullptr) return data;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied);
    data.paths.push_back(FromWide(path));
  }
  data.offersFileList = !data.paths.empty();
  return data;
}

DragData DragDataFromDataObject(IDataObject* data) {
  if (data == nullptr) return {};
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return {};
  DragData dragged = DragDataFromHDrop(static_cast<HDROP>(medium.hGlobal));
  ::ReleaseStgMedium(&medium);
  return dragged;
}

DropTarget::DropTarget(DragOverHandler dragOver, DropHandler drop)
    : dragOver_(std::move(dragOver)), drop_(std::move(drop)) {}

HRESULT DropTarget::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG DropTarget::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

DWORD DropTarget::Classify(DWORD allowed) {
  return dragOver_ ? static_cast<DWORD>(dragOver_(current_, allowed)) : DROPEFFECT_NONE;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  current_ = DragDataFromDataObject(data);
  *effect = Classify(*effect);
  return S_OK;
}

HRESULT DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = Classify(*effect);
  return S_OK;
}

HRESULT DropTarget::DragLeave() {
  current_ = DragData{};
  return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  // The drop acts on what the last drag-over saw; a drag-over of the dropped data first, as the
  // system may deliver a drop without a move after the last DragOver.
  current_ = DragDataFromDataObject(data);
  *effect = Classify(*effect);
  const DragData dropped = std::move(current_);
  current_ = DragData{};
  if (*effect != DROPEFFECT_NONE && drop_) drop_(dropped);
  return S_OK;
}

DropTargetRegistration::DropTargetRegistration(HWND window, DropTarget::DragOverHandler dragOver,
                                               DropTarget::DropHandler drop)
    : window_(window), target_(new DropTarget(std::move(dragOver), std::move(drop))) {
  registered_ = SUCCEEDED(::RegisterDragDrop(window_, target_.get()));
}

DropTargetRegistration::~DropTargetRegistration() {
  if (registered_) ::RevokeDragDrop(window_);
}

}  // namespace droplet
