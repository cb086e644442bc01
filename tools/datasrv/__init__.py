"""The simulated data server of the analysis terminal: frames, the WMC15 encoder, the
installation it serves, the market model that moves its quotes, the answers to every
request, the real-time pushes, the fault switches and the network side (dataserver.py
is the program)."""
