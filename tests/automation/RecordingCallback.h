#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/TovanUpdater.h"

namespace updater::test {

// A client's progress callback that records what it is told and answers IsCanceled and Error as
// the test sets up: S_FALSE from either is the client's cancel.
class RecordingCallback : public ITovanUpdaterCallback {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITovanUpdaterCallback)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE RegisterAction(int id, int count) override {
    return Record("register " + std::to_string(id) + " " + std::to_string(count));
  }
  HRESULT STDMETHODCALLTYPE BeginAction(int id) override {
    return Record("begin " + std::to_string(id));
  }
  HRESULT STDMETHODCALLTYPE SubActionPerform(int progress) override {
    positions.push_back(progress);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EndAction(int id, int state) override {
    char text[32];
    wsprintfA(text, "end %d %X", id, state);
    return Record(text);
  }
  HRESULT STDMETHODCALLTYPE IsCanceled(char* canceled) override {
    *canceled = canceledFlag;
    return canceledAnswer;
  }
  HRESULT STDMETHODCALLTYPE Error(int code) override {
    char text[32];
    wsprintfA(text, "error %X", code);
    Record(text);
    return errorAnswer;
  }

  std::string calls;
  std::vector<int> positions;
  HRESULT canceledAnswer = S_OK;
  char canceledFlag = 0;
  HRESULT errorAnswer = S_OK;

 private:
  HRESULT Record(const std::string& call) {
    calls += call + ", ";
    return S_OK;
  }
};

}  // namespace updater::test
