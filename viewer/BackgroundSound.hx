import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.media.Sound;
import flash.media.SoundChannel;
import flash.media.SoundTransform;
import flash.net.URLRequest;

// The book's background music, looped from the start; a book without one has no sound button.
class BackgroundSound {
	static inline var URL = "res/sounds/bg.mp3";
	static inline var LOOPS = 1000000;

	public var muted(default, null) = false;
	public var onAvailable:Void->Void;

	var sound = new Sound();
	var channel:Null<SoundChannel>;

	public function new() {
		sound.addEventListener(Event.COMPLETE, function(_) {
			channel = sound.play(0, LOOPS, new SoundTransform(muted ? 0 : 1));
			if (onAvailable != null) onAvailable();
		});
		sound.addEventListener(IOErrorEvent.IO_ERROR, function(_) {});
		sound.load(new URLRequest(URL));
	}

	public function toggleMute() {
		muted = !muted;
		if (channel != null) channel.soundTransform = new SoundTransform(muted ? 0 : 1);
	}
}
