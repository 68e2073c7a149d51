// Download through curl.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "download-folder.h"
#include "download-parts.h"
#include "file-name.h"
#include "web-text.h"

namespace {

// The private files of a download.
const char kCurlSettingsFile[] = "curlrc";
const char kHeadersFile[] = "headers";

// The longest wait for a connection: a dead server should fail before the
// whole time limit has gone, for a caller that may try again.
const int kMaxConnectSeconds = 30;

// curl's exit status when a document is larger than --max-filesize allows.
const int kTooLargeStatus = 63;

// curl writes no file for an empty body; a saved empty document is a file.
void MakeFile(const sString& name) {
  if (NameExists(name)) return;
  if (std::FILE* f = std::fopen(name.c_str(), "wb")) std::fclose(f);
}

// `url` with each byte that may not stand in an address as it is (a space,
// a control or non-ASCII byte, quotes and brackets) written as %XX, as wget
// does by itself: curl sends the address as given, or refuses it. Differs on
// purpose from the movie service's PercentEncode (service-address.cpp),
// which encodes a query's words, every byte but the unreserved ones.
sString EscapedAddress(const sString& url) {
  static const char kHex[] = "0123456789ABCDEF";
  static const char kUnsafe[] = " \"<>\\^`{|}";
  sString escaped;
  for (char c : url) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7f || std::strchr(kUnsafe, c) != nullptr) {
      escaped.push_back('%');
      escaped.push_back(kHex[b >> 4]);
      escaped.push_back(kHex[b & 15]);
    } else {
      escaped.push_back(c);
    }
  }
  return escaped;
}

}  // namespace

sString CurlQuoted(const sString& text) {
  sString quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

DownloadResult DownloadWithCurl(const DownloadRequest& request,
                                const DownloaderChoice& choice) {
  DownloadFolder folder;
  // The address and the headers only ever pass through this file; "url"
  // takes any text as the address, a leading "-" included.
  sString settings = "url = " + CurlQuoted(EscapedAddress(request.sURL)) + "\n";
  for (const sString& header : request.headers) {
    settings += "header = " + CurlQuoted(header) + "\n";
  }
  if (!folder.Write(kCurlSettingsFile, settings)) {
    std::remove(request.sFile.c_str());
    DownloadResult result;
    result.sFailure = "no private temporary folder could be made";
    return result;
  }

  // "-q" must come first: it keeps the user's .curlrc out. "--fail" keeps an
  // error page out of the document; a request that keeps the error body
  // goes without it and is judged by the status alone. No "--retry": the
  // caller decides about trying again.
  std::vector<sString> args = {"-q"};
  if (!request.bKeepErrorBody) args.push_back("--fail");
  if (request.bFollowRedirects) args.push_back("--location");
  const int iConnect = std::min(request.iTimeoutSeconds, kMaxConnectSeconds);
  const std::vector<sString> rest = {
      "--silent",
      "--show-error",
      "--max-time",
      std::to_string(request.iTimeoutSeconds),
      "--connect-timeout",
      std::to_string(iConnect),
      "-o",
      request.sFile,
      "-D",
      folder.File(kHeadersFile),
      // Refuses an answer that says it is too large before it comes; the
      // run's own watch stops one that says nothing and grows too large.
      "--max-filesize",
      std::to_string(request.iMaxBytes),
      "-K",
      folder.File(kCurlSettingsFile)};
  args.insert(args.end(), rest.begin(), rest.end());

  DownloaderRun run = RunDownloader(choice, args, LimitsOf(request));
  if (run.iExitStatus == kTooLargeStatus) run.bTooLarge = true;
  std::vector<sString> lines;
  if (run.bStarted) ReadTextLines(folder.File(kHeadersFile), &lines);
  const HttpAnswer answer = LastHttpAnswer(lines);
  // Exit status 0 alone is not enough: without "--location" a redirect ends
  // curl with 0, and without "--fail" so does an error.
  const bool bSaved = run.iExitStatus == 0 && answer.iStatus >= 200 &&
                      answer.iStatus <= 299;
  if (bSaved) MakeFile(request.sFile);
  return FinishDownload(request, choice.kind, run, bSaved, answer);
}
