"""Artwork generator for the chorus editor: the ten bitmap resources, rendered deterministically."""
