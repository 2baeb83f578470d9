"""Image files written byte by byte, of kinds image libraries seldom write."""
