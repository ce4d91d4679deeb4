-- A session in Ardour's own engine (ardour7-lua, the dummy audio backend):
-- "make" creates it with the plug-in on a track, moves its last control
-- (Output), plays half a second and saves; "check" loads it again, prints
-- the control as restored and saves a second snapshot, whose plug-in state
-- the test compares with the first.
-- Arguments: plug-in URI or name, plug-in type (LV2, VST3), session folder,
-- phase, and the value to give Output in Ardour's units for that type (dB
-- for LV2, normalised for VST3).
local uri, kind, dir, phase, value = arg[1], arg[2], arg[3], arg[4], tonumber(arg[5])
local source = ARDOUR.TransportRequestSource.TRS_UI

AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:set_sample_rate(48000)
assert(AudioEngine:start(false) == 0, "the dummy engine did not start")


local function controlCount(plugin)
  local count = 0
  for i = 0, plugin:parameter_count() - 1 do
    if plugin:parameter_is_control(i) and plugin:parameter_is_input(i) then count = count + 1 end
  end
  return count
end

if phase == "make" then
  local session = create_session(dir, "sorvane", 48000)
  assert(session, "no session")
  local tracks = session:new_audio_track(2, 2, nil, 1, "EQ", ARDOUR.PresentationInfo.max_order,
                                         ARDOUR.TrackMode.Normal, true)
  local processor = ARDOUR.LuaAPI.new_plugin(session, uri, ARDOUR.PluginType[kind], "")
  assert(not processor:isnil(), "Ardour did not find the plug-in " .. uri)
  tracks:front():add_processor_by_index(processor, 0, nil, true)
  local plugin = processor:to_insert():plugin(0)
  print("loaded " .. plugin:name() .. " with " .. controlCount(plugin) .. " controls")
  -- Controls count from 0 in Ardour's numbering of control inputs.
  ARDOUR.LuaAPI.set_processor_param(processor, controlCount(plugin) - 1, value)
  session:request_roll(source)
  ARDOUR.LuaAPI.usleep(500000)
  session:request_stop(false, false, source)
  ARDOUR.LuaAPI.usleep(200000)
  session:save_state("", false, false, false, false, false)
  print("saved")
else
  local session = load_session(dir, "sorvane")
  assert(session, "the session did not load")
  local track = nil
  for route in session:get_routes():iter() do
    if route:name() == "EQ" then track = route end
  end
  assert(track, "the track is gone")
  local processor = track:nth_plugin(0)
  assert(not processor:isnil(), "the plug-in is gone after reloading")
  local plugin = processor:to_insert():plugin(0)
  local output = ARDOUR.LuaAPI.get_processor_param(processor, controlCount(plugin) - 1)
  print(string.format("reloaded %s, Output %.2f", plugin:name(), output))
  session:save_state("again", false, false, false, false, false)
end
close_session()
