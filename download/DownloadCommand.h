#pragma once

class DownloadCommandHost;
class QProgressBar;

// ID_ACTION_DOWNLOAD: refuses while a download runs, shows the notice until it is dismissed for
// good, builds the batch from today's list, creates the date folder and its tree node, greys the
// menu item, starts the two workers and timer 1, and shows "正在下载" with a progress bar.
void OnDownload(DownloadCommandHost &host);

// Timer 1: shows the workers' progress, refreshes the date folder's node when fetches created
// folders, and closes the download once both workers passed the end of the batch.
void OnProgressTimer(DownloadCommandHost &host);

// The progress bar of the last download, or null before the first one.
QProgressBar *DownloadProgressBar(const DownloadCommandHost &host);
