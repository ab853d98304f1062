#include "platform/socket_errors.h"

#include <cerrno>
#include <netdb.h>

#include "platform/sjis_text.h"

namespace lumetra::platform {

std::string GetErrorMsg(int code) {
  static const struct {
    int code;
    const char* text;
  } kTable[] = {
      {10004, "ブロック操作が取り消された"},
      {10009, "ファイル番号の誤り"},
      {10013, "個別アドレスが必要"},
      {10014, "パラメータが正しくない"},
      {10022, "引数が無効"},
      {10024, "オープンされているファイル数が多すぎる"},
      {10035, "回線が混雑しています"},
      {10036, "操作が現在処理中"},
      {10037, "操作は既に処理中"},
      {10038, "ディスクリプタがソケットではない"},
      {10039, "宛先アドレスが必要"},
      {10040, "メッセージが長すぎる"},
      {10041, "ソケットに対するプロトコル種類が不正"},
      {10042, "プロトコルが使用できない"},
      {10043, "プロトコルがサポートされていない"},
      {10044, "ソケットの種類がサポートされていない"},
      {10045, "操作がソケットでサポートされていない"},
      {10046, "プルトコルファミリーがサポートされていない"},
      {10047, "アドレスファミリーがサポートされていない"},
      {10048, "アドレスが既に使用中"},
      {10049, "要求されたアドレスを割り振れない"},
      {10050, "ネットワークが落ちている"},
      {10051, "ネットワークに到達できない"},
      {10052, "接続が切れたのでリセットしてください"},
      {10053, "タイムアウトまたは回線障害により中断"},
      {10054, "相手側で回線が切断されました"},
      {10055, "利用可能なバッファースペースがない"},
      {10056, "ソケットが既に接続されている"},
      {10057, "ソケットが接続されていない"},
      {10058, "ソケット遮断後のため送信できない"},
      {10059, "参照数が多すぎる"},
      {10060, "タイムアウト"},
      {10061, "接続が拒否された"},
      {10091, "ネットワークサブシステムが使用不能"},
      {10092, "指定されたバージョンはサポートしていない"},
      {10093, "WinSockが初期化されていない"},
      {10101, "接続が切れている"},
      {11001, "ホストが見つからない"},
      {11002, "接続を試みたがホストが見つからない"},
      {11003, "回復不可能なエラー"},
      {11004, "有効な名前であるが、要求された形式のデータレコードを持たない"},
  };
  if (code == 0) return {};
  for (const auto& entry : kTable)
    if (entry.code == code) return SJ(entry.text);
  return "WinSock Error=" + std::to_string(code);
}

int WinSockCodeFromErrno(int error) {
  if (error < 0) {
    switch (error) {
      case EAI_NONAME: return 11001;
      case EAI_AGAIN: return 11002;
      case EAI_FAIL: return 11003;
#ifdef EAI_NODATA
      case EAI_NODATA: return 11004;
#endif
      default: return 11003;
    }
  }
  switch (error) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case EPIPE: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10051;
    default: return 10050;
  }
}

}  // namespace lumetra::platform
