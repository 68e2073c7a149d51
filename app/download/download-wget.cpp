// Download through wget.
#include <cstdint>
#include <cstdio>

#include "download-folder.h"
#include "download-guard.h"
#include "download-parts.h"
#include "web-text.h"
#include "whole-file.h"

namespace {

// The log of a plain download, in the current folder as it always was.
const char kPlainLog[] = "tempout";

// wget's own count of tries: one. A request is never sent twice on its
// own; a page cut short is a failed download.
const char kTries[] = "--tries=1";

// The private files of a private download.
const char kWgetSettingsFile[] = "wgetrc";
const char kAddressFile[] = "address";
const char kLogFile[] = "log";

bool IsCompletionLine(const sString& sLine) {
  return FindInStr(sLine, "' saved", 0) >= 0;
}

// Whether a log line tells of a success: the server's answer line, or the
// line that reports the saved file.
bool IsSuccessLine(const sString& sLine) {
  return FindInStr(sLine, "200 OK", 0) >= 0 || IsCompletionLine(sLine);
}

// Appends the file `name`'s bytes to `*text`, ending with a line end, when
// it can be read.
void AppendFile(const sString& name, sString* text) {
  sString bytes;
  if (ReadWholeFile(name, INT64_MAX, TooLarge::kFirstPart, &bytes) ==
      WholeFile::kCannotOpen) {
    return;
  }
  text->append(bytes);
  if (!text->empty() && text->back() != '\n') text->push_back('\n');
}

// The options that differ from the defaults of a plain download.
void AddRequestOptions(const DownloadRequest& request,
                       std::vector<sString>* args) {
  // wget hands a custom Authorization header on to whatever host a redirect
  // names; a request that may carry one follows none.
  if (!request.bFollowRedirects) args->push_back("--max-redirect=0");
  if (request.bKeepErrorBody) args->push_back("--content-on-error");
}

DownloadResult PlainDownload(const DownloadRequest& request,
                             const DownloaderChoice& choice) {
  std::vector<sString> args = DownloaderArguments(
      request.sURL, request.sFile, kPlainLog, request.iTimeoutSeconds);
  // Before the "--" that ends the options.
  std::vector<sString> extra;
  AddRequestOptions(request, &extra);
  args.insert(args.end() - 2, extra.begin(), extra.end());

  // A downloader that did not start wrote no log; a "tempout" left over from
  // an earlier run must not be taken for this download's.
  std::remove(kPlainLog);
  const GuardedPath log(kPlainLog, GuardedKind::kFile);
  const DownloaderRun run = RunDownloader(choice, args, LimitsOf(request));
  std::vector<sString> lines;
  if (run.bStarted) ReadTextLines(kPlainLog, &lines);
  const bool bSaved = run.iExitStatus == 0 && WgetLogSaysSaved(kPlainLog);
  std::remove(kPlainLog);
  return FinishDownload(request, choice.kind, run, bSaved,
                        LastHttpAnswer(lines));
}

// True when the log of a private download tells of a saved document after
// an answer of success.
bool PrivateLogSaysSaved(const std::vector<sString>& lines,
                         const HttpAnswer& answer) {
  bool bCompleted = false;
  for (const sString& line : lines) {
    if (line.find("' saved") != sString::npos) bCompleted = true;
  }
  return bCompleted && answer.iStatus >= 200 && answer.iStatus <= 299;
}

DownloadResult PrivateDownload(const DownloadRequest& request,
                               const DownloaderChoice& choice) {
  DownloadFolder folder;
  // "--config" stands in for every startup file, so the user's own settings
  // (proxy, certificates) come first and the request's headers after them.
  sString settings = UserWgetSettings(choice.sProgram);
  for (const sString& header : request.headers) {
    settings += "header = " + header + "\n";
  }
  if (!folder.Write(kWgetSettingsFile, settings) ||
      !folder.Write(kAddressFile, request.sURL + "\n")) {
    std::remove(request.sFile.c_str());
    DownloadResult result;
    result.sFailure = "no private temporary folder could be made";
    return result;
  }
  // "-S" writes the answers' status lines and headers into the log: the
  // status and Retry-After are read from there. One try: a request that
  // fails is not sent again, since the service counts every one; only the
  // caller repeats a request, when the service asks it to.
  std::vector<sString> args = {"--config=" + folder.File(kWgetSettingsFile),
                               "--verbose",
                               "--no-quiet",
                               "--timeout=" +
                                   std::to_string(request.iTimeoutSeconds),
                               "--tries=1",
                               "-S"};
  AddRequestOptions(request, &args);
  const std::vector<sString> files = {"-O", request.sFile,
                                      "-o", folder.File(kLogFile),
                                      "-i", folder.File(kAddressFile)};
  args.insert(args.end(), files.begin(), files.end());

  const DownloaderRun run = RunDownloader(choice, args, LimitsOf(request));
  std::vector<sString> lines;
  if (run.bStarted) ReadTextLines(folder.File(kLogFile), &lines);
  const HttpAnswer answer = LastHttpAnswer(lines);
  const bool bSaved =
      run.iExitStatus == 0 && PrivateLogSaysSaved(lines, answer);
  return FinishDownload(request, choice.kind, run, bSaved, answer);
}

}  // namespace

bool WgetLogSaysSaved(const sString& strLogFile) {
  std::vector<sString> lines;
  if (!ReadTextLines(strLogFile, &lines)) return false;
  int check = 0;
  bool bCompleted = false;
  for (const sString& sLine : lines) {
    if (IsSuccessLine(sLine)) ++check;
    if (IsCompletionLine(sLine)) bCompleted = true;
  }
  // One line is not enough: a successful download shows both the answer line
  // and the saved line. Answer lines alone are not enough either: wget
  // writes one for every try of a download that is cut short.
  return check >= 2 && bCompleted;
}

std::vector<sString> DownloaderArguments(const sString& URL,
                                         const sString& FileName,
                                         const sString& LogName,
                                         int iTimeoutSeconds) {
  // "--verbose" alone does not outdo "quiet = on" in a settings file.
  return {"--verbose",
          "--no-quiet",
          "--timeout=" + std::to_string(iTimeoutSeconds),
          kTries,
          "-O",
          FileName,
          "-o",
          LogName,
          "--",
          URL};
}

sString UserWgetSettings(const sString& wgetProgram) {
  sString settings;
  // In wget's order: the system's file, then the user's, whose lines win.
  for (const sString& file : WgetStartupFiles(wgetProgram)) {
    AppendFile(file, &settings);
  }
  return settings;
}

DownloadResult DownloadWithWget(const DownloadRequest& request,
                                const DownloaderChoice& choice) {
  if (request.bPrivate || !request.headers.empty()) {
    return PrivateDownload(request, choice);
  }
  return PlainDownload(request, choice);
}
