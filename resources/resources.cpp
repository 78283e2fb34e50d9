// The library's only content is its resources; this keeps the archive non-empty.
int sigtelinjeResourcesAnchor = 0;
