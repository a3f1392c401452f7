// Removed once base/ has its first real source.
