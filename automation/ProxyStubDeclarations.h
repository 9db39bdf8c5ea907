/* Included before widl's proxy code. rpcrt4 exports the IUnknown proxies that MinGW's headers
   declare for C++ only; and MinGW's RPC guards are SEH keywords that GCC lacks, so here they are
   plain blocks: a failed call raises its RPC exception to the caller instead of returning it. */
#pragma once
#include <rpc.h>
#include <unknwn.h>

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** object);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);

#undef RpcTryExcept
#undef RpcExcept
#undef RpcEndExcept
#undef RpcTryFinally
#undef RpcFinally
#undef RpcEndFinally
#undef RpcExceptionCode
#undef RpcAbnormalTermination
#define RpcTryExcept if (1) {
#define RpcExcept(filter) } else {
#define RpcEndExcept }
#define RpcTryFinally {
#define RpcFinally }
#define RpcEndFinally
#define RpcExceptionCode() 0
#define RpcAbnormalTermination() 0
