"""tessel: a fast rectangle type for Python game and graphics code."""
